// The dialog host of the GUI: StDialogHandler's dialogs are LDialogBoxes made from their
// layouts, shown application-modal in front of the super-commander's window. Each DoDialog
// runs Qt's event loop until a control of the dialog broadcasts a message, for at most one
// tick, and returns that message. The progress bars the core sets are LProgressBar panes.
#pragma once

#include "framework/core/StDialogHandler.h"

class LDialogBox;

class LQtDialogHost final : public LDialogHost {
 public:
  std::unique_ptr<LDialogView> OpenDialog(ResIDT layoutID, LCommander* superCommander) override;

  // The dialog box of a handler whose dialog this host opened; null otherwise or once closed.
  static LDialogBox* GetDialogBox(StDialogHandler& handler);
};

// Registers the assign dialog's pane classes with the class registry, so that its layouts
// can create them: the dialog, the panel bases, the message panels, the channel sub-panels,
// the settings panels and the note-name caption.
#pragma once

class UAssignDialogClasses {
 public:
  static void RegisterClasses();
};

// The editor's dialogs made only of framework panes open through the modal dialog handler and
// hold the panes and buttons their code relies on.
#include "framework/core/StDialogHandler.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/LProgressBar.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/LQtDialogHost.h"
#include "framework/ui/LStaticText.h"

#include <gtest/gtest.h>

namespace {

TEST(EditorDialogs, HoldThePanesTheirCodeNeeds) {
  enum EPane { kNone, kPopups, kProgress, kVersion, kWarning };
  struct SRow {
    const char* name;
    ResIDT id;
    bool ok;
    bool cancel;
    EPane pane;
  };
  const SRow rows[] = {
      {"about box", 1001, true, false, kVersion},
      {"MIDI devices", 1100, true, true, kPopups},
      {"confirm request", 3000, true, true, kWarning},
      {"confirm send", 3001, true, true, kNone},
      {"waiting for the device", 3002, false, true, kNone},
      {"second confirmation", 3003, true, true, kNone},
      {"progress", 3004, false, true, kProgress},
      {"cancelled", 3005, true, false, kNone},
  };
  LQtDialogHost host;
  StDialogHost installed(&host);
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    StDialogHandler handler(row.id, nullptr);
    LDialogBox* dialog = LQtDialogHost::GetDialogBox(handler);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->windowTitle().isEmpty());
    LPushButton* ok = dialog->GetDefaultButton();
    LPushButton* cancel = dialog->GetCancelButton();
    EXPECT_EQ(ok != nullptr && ok->GetValueMessage() == msg_OK, row.ok);
    EXPECT_EQ(cancel != nullptr && cancel->GetValueMessage() == msg_Cancel, row.cancel);
    switch (row.pane) {
      case kPopups:
        EXPECT_EQ(dialog->FindPaneByID<LPopupButton>(3)->GetMenuItemText(1),
                  QStringLiteral("None"));
        EXPECT_NE(dialog->FindPaneByID<LPopupButton>(4), nullptr);
        break;
      case kProgress:
        EXPECT_EQ(dialog->FindPaneByID<LProgressBar>(3)->GetMaxValue(), 50);
        break;
      case kVersion:
        EXPECT_TRUE(dialog->FindPaneByID<LStaticText>(FourCC("VERS"))
                        ->GetDescriptorText()
                        .startsWith(QStringLiteral("Version")));
        break;
      case kWarning:
        EXPECT_TRUE(dialog->FindPaneByID<LStaticText>(5)->isHidden())
            << "shown only for unsaved changes";
        break;
      case kNone:
        break;
    }
    EXPECT_EQ(handler.DoDialog(), msg_Nothing);
  }
}

}  // namespace

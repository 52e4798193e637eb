// StDialogHandler with the GUI's host: dialogs from layouts, shown modally, whose controls'
// messages DoDialog returns; each DoDialog gives the user at most one tick.
#include "UiTestSupport.h"

#include "framework/core/StDialogHandler.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LProgressBar.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/LQtDialogHost.h"

#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class DialogHandler : public ::testing::Test {
 protected:
  // DoDialog until a message comes (a bounded number of turns, so a lost message fails
  // rather than hangs).
  static MessageT NextMessage(StDialogHandler& handler) {
    for (int turn = 0; turn < 600; ++turn) {
      if (const MessageT message = handler.DoDialog(); message != msg_Nothing) return message;
    }
    return msg_Nothing;
  }

  LQtDialogHost host;
  StDialogHost installed{&host};
};

TEST_F(DialogHandler, ADialogWithNothingToDoReturnsNothingAfterAPass) {
  StDialogHandler handler(9201, nullptr);
  LDialogBox* dialog = LQtDialogHost::GetDialogBox(handler);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(dialog->isVisible()) << "shown on the first pass";
  EXPECT_EQ(handler.DoDialog(), msg_Nothing);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(handler.DoDialog(), msg_Nothing);
}

TEST_F(DialogHandler, ReturnsTheMessageOfWhatTheUserDid) {
  struct SRow {
    const char* name;
    std::function<void(LDialogBox&)> act;
    MessageT expected;
  };
  const SRow rows[] = {
      {"OK button", [](LDialogBox& d) { d.FindPaneByID<LPushButton>(1)->GetButton()->click(); },
       msg_OK},
      {"Cancel button", [](LDialogBox& d) { d.FindPaneByID<LPushButton>(2)->GetButton()->click(); },
       msg_Cancel},
      {"Return key", [](LDialogBox& d) { QTest::keyClick(&d, Qt::Key_Return); }, msg_OK},
      {"Enter key", [](LDialogBox& d) { QTest::keyClick(&d, Qt::Key_Enter); }, msg_OK},
      {"Escape key", [](LDialogBox& d) { QTest::keyClick(&d, Qt::Key_Escape); }, msg_Cancel},
      {"Ctrl-period",
       [](LDialogBox& d) { QTest::keyClick(&d, Qt::Key_Period, Qt::ControlModifier); }, msg_Cancel},
      {"close box", [](LDialogBox& d) { d.close(); }, msg_Cancel},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    StDialogHandler handler(9201, nullptr);
    LDialogBox* dialog = LQtDialogHost::GetDialogBox(handler);
    EXPECT_EQ(handler.DoDialog(), msg_Nothing);
    // The user acts while the handler's loop runs.
    QTimer::singleShot(0, dialog, [dialog, &row] { row.act(*dialog); });
    EXPECT_EQ(NextMessage(handler), row.expected);
    EXPECT_EQ(handler.DoDialog(), msg_Nothing) << "each message is returned once";
    EXPECT_TRUE(dialog->isVisible()) << "the handler, not the dialog, decides when it closes";
  }
}

TEST_F(DialogHandler, TheProgressBarPaneFollowsTheCoresProgressState) {
  StDialogHandler handler(9201, nullptr);
  auto* bar = LQtDialogHost::GetDialogBox(handler)->FindPaneByID<LProgressBar>(3);
  LDialogProgressBar& progress = handler.GetDialog()->FindProgressBar(3);
  progress.SetIndeterminateFlag(true);
  EXPECT_TRUE(bar->IsIndeterminate());
  progress.SetIndeterminateFlag(false);
  progress.SetMaxValue(50);
  progress.SetValue(49);
  EXPECT_FALSE(bar->IsIndeterminate());
  EXPECT_EQ(bar->GetValue(), 49);
  EXPECT_EQ(bar->GetBar()->value(), 49);
  EXPECT_EQ(bar->GetBar()->maximum(), 50);
}

TEST_F(DialogHandler, TheDialogGoesWithItsHandler) {
  QPointer<LDialogBox> dialog;
  {
    StDialogHandler handler(9201, nullptr);
    dialog = LQtDialogHost::GetDialogBox(handler);
    handler.DoDialog();
  }
  EXPECT_TRUE(dialog.isNull());
}

TEST_F(DialogHandler, ALayoutThatIsNoDialogIsRefused) {
  EXPECT_THROW(StDialogHandler(9202, nullptr), LException);
  EXPECT_THROW(StDialogHandler(9999, nullptr), LException);
}

}  // namespace

// A modeless dialog with an owner window: it decides itself what OK, Cancel, Return, Escape,
// Ctrl+W and Ctrl+M do (Ctrl+W reaches its key handling although the menus have it as Close),
// its owner hears of every way it closes, and it goes with its owner.
#include "UiTestSupport.h"

#include "framework/core/StDialogHandler.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/UKeyboard.h"
#include "framework/ui/UReanimator.h"
#include "framework/ui/URegistrar.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// OK and Ctrl+W apply first and close only when the apply succeeds; Ctrl+M minimises.
class CApplyingDialog final : public LDialogBox {
 public:
  static constexpr ClassIDT class_ID = FourCC("Tapd");
  explicit CApplyingDialog(const LPaneData& data) : LDialogBox(data) {}

  bool applies = true;
  int applyCount = 0;

  bool KeepsMenuKey(const EventRecord& event) const override {
    const std::uint16_t key = UKeyboard::CharCode(event);
    return (event.modifiers & cmdKey) != 0 && (key == 'w' || key == 'm');
  }

  bool HandleKeyPress(const EventRecord& event) override {
    if (KeepsMenuKey(event)) {
      if (UKeyboard::CharCode(event) == 'm')
        Collapse(true);
      else
        ApplyAndClose();
      return true;
    }
    return LDialogBox::HandleKeyPress(event);
  }

  void ListenToMessage(MessageT message, void* param) override {
    if (message == msg_OK)
      ApplyAndClose();
    else if (message == msg_Cancel)
      AttemptClose();
    else
      LDialogBox::ListenToMessage(message, param);
  }

  QLineEdit* Field() { return FindPaneByID<LEditText>(8)->GetLineEdit(); }

 private:
  void ApplyAndClose() {
    ++applyCount;
    if (applies) AttemptClose();
  }
};

// A window that owns one such dialog at a time and forgets it when it goes.
class COwnerWindow final : public LWindow {
 public:
  COwnerWindow() : LWindow(nullptr) {}
  bool AllowSubRemoval(LCommander* sub) override {
    removals.push_back(sub);
    if (sub == dialog) dialog = nullptr;
    return true;
  }
  QPointer<CApplyingDialog> dialog;
  std::vector<LCommander*> removals;
};

TEST(ModelessDialogs, DecideWhatClosesThemTellTheirOwnerAndGoWithIt) {
  URegistrar::RegisterClass<CApplyingDialog>();
  LMenuBar menus(128);  // the editor's menus: Ctrl+W is Close
  auto* owner = new COwnerWindow;
  menus.CreateMenuBarWidget(owner);  // makes the shortcuts live
  owner->Show();
  auto open = [owner] {
    auto* dialog = UReanimator::CreateView<CApplyingDialog>(9203, nullptr, owner);
    owner->dialog = dialog;
    dialog->Select();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
    dialog->Field()->setFocus();
    return dialog;
  };

  CApplyingDialog* dialog = open();
  dialog->applies = false;
  dialog->GetDefaultButton()->SimulateHotSpotClick();
  QTest::keyClick(dialog->Field(), Qt::Key_Return);
  QTest::keyClick(dialog->Field(), Qt::Key_W, Qt::ControlModifier);
  kvxtest::ProcessPostedEvents();
  EXPECT_EQ(dialog->applyCount, 3) << "OK, Return and Ctrl+W each tried to apply";
  ASSERT_EQ(owner->dialog, dialog) << "and nothing closed it behind its back";
  EXPECT_TRUE(dialog->isVisible());
  QTest::keyClick(dialog->Field(), Qt::Key_M, Qt::ControlModifier);
  EXPECT_TRUE(dialog->IsCollapsed());
  QTest::keyClick(dialog->Field(), Qt::Key_Escape);
  EXPECT_EQ(owner->removals, std::vector<LCommander*>{dialog}) << "Cancel asked the owner";
  kvxtest::ProcessPostedEvents();
  EXPECT_EQ(owner->dialog, nullptr);

  dialog = open();
  QTest::keyClick(dialog->Field(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_EQ(dialog->applyCount, 1);
  EXPECT_EQ(owner->removals.size(), 2u) << "applied, then closed";
  kvxtest::ProcessPostedEvents();
  EXPECT_EQ(owner->dialog, nullptr);

  dialog = open();
  dialog->DoClose();
  EXPECT_EQ(owner->removals.size(), 3u) << "closed without asking, the owner is still told";
  kvxtest::ProcessPostedEvents();
  EXPECT_EQ(owner->dialog, nullptr);

  QPointer<CApplyingDialog> last = open();
  delete owner;
  EXPECT_EQ(last, nullptr) << "went with its owner";
}

}  // namespace

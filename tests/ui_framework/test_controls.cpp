// Controls keep their value in their range and broadcast their value message, with a pointer
// to the new value, exactly when the value changes.
#include "UiTestSupport.h"

#include "framework/core/StDialogHandler.h"
#include "framework/ui/LCheckBox.h"
#include "framework/ui/LLittleArrows.h"
#include "framework/ui/LPopupButton.h"
#include "framework/ui/LPopupGroupBox.h"
#include "framework/ui/LProgressBar.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/LStaticText.h"
#include "framework/ui/UReanimator.h"

#include <QComboBox>
#include <QJsonDocument>
#include <QProgressBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <limits>

namespace {

using kvxtest::CValueListener;
using Messages = std::vector<CValueListener::SMessage>;
constexpr MessageT kMessage = FourCC("Tval");

TEST(LControl, SettingAValueClampsItAndBroadcastsOnlyChanges) {
  LLittleArrows control(nullptr, 1, kMessage, 5, 1, 16);
  CValueListener listener;
  control.AddListener(&listener);
  struct SRow {
    const char* name;
    std::int32_t set;
    std::int32_t held;
    bool broadcast;
  };
  const SRow rows[] = {
      {"inside", 7, 7, true},
      {"the same again", 7, 7, false},
      {"below the minimum", 0, 1, true},
      {"below again: no change", -50, 1, false},
      {"above the maximum", 17, 16, true},
      {"far above", std::numeric_limits<std::int32_t>::max(), 16, false},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    listener.messages.clear();
    control.SetValue(row.set);
    EXPECT_EQ(control.GetValue(), row.held);
    const Messages expected = row.broadcast ? Messages{{kMessage, row.held, nullptr}} : Messages{};
    EXPECT_EQ(listener.messages, expected);
  }
}

TEST(LControl, ChangingTheRangePullsTheValueIntoIt) {
  LLittleArrows control(nullptr, 1, kMessage, 5, 0, 127);
  CValueListener listener;
  control.AddListener(&listener);
  control.SetMinValue(10);
  control.SetMaxValue(100);
  control.SetMaxValue(8);  // below the minimum: the value sits at the minimum
  EXPECT_EQ(listener.messages, (Messages{{kMessage, 10, nullptr}}));
  EXPECT_EQ(control.GetValue(), 10);

  control.SetValueMessage(0);
  control.SetMinValue(0);
  control.SetValue(3);
  EXPECT_EQ(listener.messages.size(), 1u) << "message 0 is never broadcast";
}

TEST(LControl, BroadcastingCanBeStoppedAroundAChange) {
  LLittleArrows control(nullptr, 1, kMessage, 5, 0, 127);
  CValueListener listener;
  control.AddListener(&listener);
  control.StopBroadcasting();
  control.SetValue(9);
  control.StartBroadcasting();
  EXPECT_TRUE(listener.messages.empty());
  EXPECT_EQ(control.GetValue(), 9);
}

TEST(LLittleArrows, TheArrowsStepTheValueAndStopAtTheEnds) {
  LLittleArrows arrows(nullptr, 1, kMessage, 15, 1, 16);
  CValueListener listener;
  arrows.AddListener(&listener);
  arrows.GetUpButton()->click();
  arrows.GetUpButton()->click();
  arrows.GetDownButton()->click();
  EXPECT_EQ(listener.messages, (Messages{{kMessage, 16, nullptr}, {kMessage, 15, nullptr}}));
}

TEST(LPushButton, AClickBroadcastsItsMessageWithoutAValue) {
  LPushButton button(nullptr, 1, msg_OK, QStringLiteral("OK"));
  CValueListener listener;
  button.AddListener(&listener);
  button.SimulateHotSpotClick();
  button.Disable();
  button.SimulateHotSpotClick();
  EXPECT_EQ(listener.messages, (Messages{{msg_OK, 0, nullptr}}));
}

TEST(LCheckBox, ClicksToggleBetweenZeroAndOne) {
  LCheckBox box(nullptr, 1, kMessage, QStringLiteral("Captions"));
  CValueListener listener;
  box.AddListener(&listener);
  box.SimulateHotSpotClick();
  box.SimulateHotSpotClick();
  box.SetValue(5);
  EXPECT_EQ(listener.messages,
            (Messages{{kMessage, 1, nullptr}, {kMessage, 0, nullptr}, {kMessage, 1, nullptr}}));
}

TEST(LPopupButton, TheValueIsTheItemNumberAndFollowsTheMenu) {
  LPopupButton popup(nullptr, 3, kMessage,
                     {QStringLiteral("None"), QStringLiteral("Port A"), QStringLiteral("Port B")});
  CValueListener listener;
  popup.AddListener(&listener);
  EXPECT_EQ(popup.GetValue(), 1);
  EXPECT_EQ(popup.GetMaxValue(), 3);

  Q_EMIT popup.GetPopup()->activated(2);  // the user chooses item 3
  EXPECT_EQ(popup.GetDescriptorText(), QStringLiteral("Port B"));

  popup.InsertMenuItem(QStringLiteral("Port 0"), 1);
  EXPECT_EQ(popup.GetMenuItemCount(), 4);
  EXPECT_EQ(popup.GetMenuItemText(2), QStringLiteral("Port 0"));
  EXPECT_EQ(popup.GetValue(), 3) << "the value keeps its number";
  EXPECT_EQ(popup.GetPopup()->currentIndex(), 2);

  popup.DeleteMenuItem(4);
  popup.DeleteMenuItem(3);  // the chosen item goes; the value then names the last one
  popup.DeleteMenuItem(9);  // no such item
  EXPECT_EQ(popup.GetMenuItemCount(), 2);
  EXPECT_EQ(popup.GetValue(), 2);
  EXPECT_EQ(listener.messages, (Messages{{kMessage, 3, nullptr}, {kMessage, 2, nullptr}}));

  popup.SetMenuItems({});
  EXPECT_EQ(popup.GetValue(), 0);
  EXPECT_EQ(popup.GetMenuItemCount(), 0);
}

TEST(LProgressBar, IndeterminateShowsActivityInsteadOfTheValue) {
  LProgressBar bar(nullptr, 3, 10, 0, 50);
  bar.SetIndeterminateFlag(true);
  EXPECT_TRUE(bar.IsIndeterminate());
  EXPECT_EQ(bar.GetBar()->maximum(), 0);
  bar.SetValue(20);
  bar.SetIndeterminateFlag(false);
  EXPECT_EQ(bar.GetBar()->maximum(), 50);
  EXPECT_EQ(bar.GetBar()->value(), 20);
}

TEST(LPopupGroupBox, HoldsItsPanesInsideItsFrame) {
  const QJsonObject node = QJsonDocument::fromJson(R"({
      "class": "pgbx", "id": 4, "items": ["One", "Two"], "value": 2, "message": "Amsg",
      "panes": [ { "class": "stxt", "id": 40, "text": "inside" } ] })")
                               .object();
  std::unique_ptr<LPane> box(UReanimator::CreateFromNode(node, 1, nullptr, nullptr));
  auto* group = dynamic_cast<LPopupGroupBox*>(box.get());
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetValue(), 2);
  EXPECT_EQ(group->GetValueMessage(), FourCC("Amsg"));
  auto* inside = group->FindPaneByID<LStaticText>(40);
  ASSERT_NE(inside, nullptr);
  EXPECT_EQ(inside->GetSuperView(), group);
}

}  // namespace

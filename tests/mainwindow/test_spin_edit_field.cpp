// Numeric fields tied to a value control: typed values clamped by the control, at once or
// after a pause, and the field agreeing with the control once the user leaves it.
#include "framework/core/LPeriodical.h"
#include "framework/core/TickCount.h"
#include "framework/ui/LLittleArrows.h"
#include "framework/ui/LWindow.h"
#include "framework/ui/UReanimator.h"
#include "support/CSpinEditField.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr MessageT kArrowsMessage = 1204;

// A window with the field (pane 203, linked to pane 204) and little arrows of a range.
class SpinEditField : public ::testing::Test {
 protected:
  void Open(int minValue, int maxValue, int value, PaneIDT linkedID = 204) {
    const QString layout = QStringLiteral(R"({"class": "wind", "panes": [{"row": [
        {"class": "Sedt", "id": 203, "filter": "integer", "linkedControl": %1, "linkedMessage": %2},
        {"class": "larr", "id": 204, "min": %3, "max": %4, "value": %5, "message": %2},
        {"class": "etxt", "id": 205}]}]})")
                               .arg(linkedID)
                               .arg(kArrowsMessage)
                               .arg(minValue)
                               .arg(maxValue)
                               .arg(value);
    mWindow.reset(dynamic_cast<LWindow*>(UReanimator::CreateFromNode(
        QJsonDocument::fromJson(layout.toUtf8()).object(), 0, nullptr, nullptr)));
    ASSERT_NE(mWindow, nullptr);
    field = mWindow->FindPaneByID<CSpinEditField>(203);
    arrows = mWindow->FindPaneByID<LLittleArrows>(204);
    mWindow->show();
    LCommander::SwitchTarget(field);
  }

  void Type(const char* text) { QTest::keyClicks(field->GetLineEdit(), QString::fromLatin1(text)); }
  QString Shown() const { return field->GetText(); }
  // Ticks pass, and the field gets its idle turn.
  void Wait(std::uint32_t ticks) {
    mNow += ticks;
    LPeriodical::DevoteTimeToIdlers(EventRecord{});
  }

  void TearDown() override {
    LCommander::SwitchTarget(nullptr);
    UTickClock::SetSource({});
  }

  std::uint32_t mNow = 5000;
  std::unique_ptr<LWindow> mWindow;
  CSpinEditField* field = nullptr;
  LLittleArrows* arrows = nullptr;

 public:
  SpinEditField() {
    UTickClock::SetSource([this] { return mNow; });
  }
};

TEST_F(SpinEditField, StartsWithTheControlsValue) {
  Open(1, 16, 9);
  EXPECT_EQ(field->GetLinkedControl(), arrows);
  EXPECT_EQ(Shown(), QStringLiteral("9"));
}

TEST_F(SpinEditField, AValueBelowAPositiveMinimumIsCorrectedAfterAPause) {
  Open(1, 16, 9);
  field->GetLineEdit()->clear();
  Type("0");
  EXPECT_EQ(Shown(), QStringLiteral("0"));
  EXPECT_EQ(arrows->GetValue(), 1);
  Wait(CSpinEditField::kCorrectionDelayTicks);
  EXPECT_EQ(Shown(), QStringLiteral("0")) << "not before the pause is over";
  Wait(1);
  EXPECT_EQ(Shown(), QStringLiteral("1"));
}

TEST_F(SpinEditField, TypingOnWithinThePauseCancelsTheCorrection) {
  Open(1, 16, 9);
  field->GetLineEdit()->clear();
  Type("0");
  Wait(10);
  Type("5");
  EXPECT_FALSE(field->IsCorrectionPending());
  Wait(100);
  EXPECT_EQ(field->GetValue(), 5);
  EXPECT_EQ(arrows->GetValue(), 5);
}

TEST_F(SpinEditField, AValueAboveTheRangeOrBelowAZeroMinimumIsCorrectedAtOnce) {
  struct SRow {
    const char* name;
    int minValue;
    int maxValue;
    const char* typed;
    const char* shown;
  };
  const SRow rows[] = {
      {"above 1..16", 1, 16, "17", "16"},
      {"above 0..127", 0, 127, "200", "127"},
      {"below -64..63", -64, 63, "-99", "-64"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    Open(row.minValue, row.maxValue, 5);
    field->GetLineEdit()->clear();
    Type(row.typed);
    EXPECT_EQ(Shown(), QString::fromLatin1(row.shown));
    EXPECT_FALSE(field->IsCorrectionPending());
  }
}

TEST_F(SpinEditField, TheArrowsCancelAPendingCorrectionAndShowTheirValue) {
  Open(10, 20, 15);
  field->GetLineEdit()->clear();
  Type("1");
  ASSERT_TRUE(field->IsCorrectionPending());
  arrows->SetValue(18);
  EXPECT_FALSE(field->IsCorrectionPending());
  EXPECT_EQ(Shown(), QStringLiteral("18"));
}

TEST_F(SpinEditField, LeavingTheFieldShowsTheControlsValueUnlessItShowsTouch) {
  struct SRow {
    const char* name;
    const char* text;
    const char* shown;
  };
  const SRow rows[] = {
      {"empty", "", "64"},
      {"a text that disagrees", "3", "64"},
      {"Touch", "Touch", "Touch"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    Open(1, 127, 64);
    field->SetText(QString::fromLatin1(row.text));
    LCommander::SwitchTarget(mWindow.get());
    EXPECT_EQ(Shown(), QString::fromLatin1(row.shown));
  }
}

TEST_F(SpinEditField, WithoutTheLinkedPaneItIsAPlainField) {
  Open(1, 16, 9, 999);
  EXPECT_EQ(field->GetLinkedControl(), nullptr);
  Type("77");
  Wait(100);
  LCommander::SwitchTarget(mWindow.get());
  EXPECT_EQ(Shown(), QStringLiteral("77"));
  EXPECT_EQ(arrows->GetValue(), 9);
}

}  // namespace

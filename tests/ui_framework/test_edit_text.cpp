// Edit fields: the key filters' answers, what the field does with each answer, Ctrl keys
// passed up, the field as target (idled while it is) and its text commands.
#include "UiTestSupport.h"

#include "framework/core/LCommander.h"
#include "framework/core/LString.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UKeyboard.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

EventRecord KeyRecord(std::uint16_t charCode, std::uint16_t keyCode = 0,
                      std::uint16_t modifiers = 0) {
  EventRecord event;
  event.what = keyDown;
  event.message = charCode | (static_cast<std::uint32_t>(keyCode) << 8);
  event.modifiers = modifiers;
  return event;
}

TEST(UKeyFilters, AnswerEveryKeyClass) {
  struct SRow {
    const char* name;
    std::uint16_t charCode;
    std::uint16_t keyCode;
    EKeyStatus printing;
    EKeyStatus integer;
  };
  const SRow rows[] = {
      {"letter", 'A', 0, keyStatus_Input, keyStatus_Reject},
      {"tilde", '~', 0, keyStatus_Input, keyStatus_Reject},
      {"space", ' ', 0, keyStatus_Input, keyStatus_Reject},
      {"digit", '7', 0, keyStatus_Input, keyStatus_Input},
      {"lowest digit", '0', 0, keyStatus_Input, keyStatus_Input},
      {"highest digit", '9', 0, keyStatus_Input, keyStatus_Input},
      {"slash, just below the digits", '/', 0, keyStatus_Input, keyStatus_Reject},
      {"colon, just above the digits", ':', 0, keyStatus_Input, keyStatus_Reject},
      {"minus", '-', 0, keyStatus_Input, keyStatus_Input},
      {"accented e (Mac Roman 0x8E)", 0x8E, 0, keyStatus_Input, keyStatus_Reject},
      {"backspace", char_Backspace, 0x33, keyStatus_TEDelete, keyStatus_TEDelete},
      {"left arrow", char_LeftArrow, 0, keyStatus_TECursor, keyStatus_TECursor},
      {"down arrow", char_DownArrow, 0, keyStatus_TECursor, keyStatus_TECursor},
      {"home", char_Home, 0, keyStatus_ExtraEdit, keyStatus_ExtraEdit},
      {"end", char_End, 0, keyStatus_ExtraEdit, keyStatus_ExtraEdit},
      {"page up", char_PageUp, 0, keyStatus_ExtraEdit, keyStatus_ExtraEdit},
      {"page down", char_PageDown, 0, keyStatus_ExtraEdit, keyStatus_ExtraEdit},
      {"forward delete", char_FwdDelete, 0, keyStatus_ExtraEdit, keyStatus_ExtraEdit},
      {"clear", char_Escape, vkey_Clear, keyStatus_ExtraEdit, keyStatus_ExtraEdit},
      {"escape", char_Escape, vkey_Escape, keyStatus_PassUp, keyStatus_PassUp},
      {"return", char_Return, 0, keyStatus_PassUp, keyStatus_PassUp},
      {"enter", char_Enter, 0, keyStatus_PassUp, keyStatus_PassUp},
      {"tab", char_Tab, 0, keyStatus_PassUp, keyStatus_PassUp},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    std::uint16_t charCode = row.charCode;
    EXPECT_EQ(UKeyFilters::PrintingCharField(nullptr, row.keyCode, charCode, 0), row.printing);
    EXPECT_EQ(UKeyFilters::IntegerField(nullptr, row.keyCode, charCode, 0), row.integer);
    EXPECT_EQ(charCode, row.charCode);
  }
}

TEST(UKeyboard, QtKeysBecomeKeyRecordsWithCtrlAsTheCommandKey) {
  struct SRow {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    std::uint16_t charCode;
    std::uint16_t keyCode;
    std::uint16_t modifierBits;
  };
  const SRow rows[] = {
      {"letter", Qt::Key_A, {}, QStringLiteral("a"), 'a', 0, 0},
      {"shifted letter", Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"), 'A', 0, shiftKey},
      {"Ctrl-F", Qt::Key_F, Qt::ControlModifier, QStringLiteral("\x06"), 'f', 0, cmdKey},
      {"Ctrl-period", Qt::Key_Period, Qt::ControlModifier, QString(), '.', 0, cmdKey},
      {"e acute", Qt::Key_Eacute, {}, QStringLiteral("é"), 0x8E, 0, 0},
      {"no Mac Roman form", Qt::Key_unknown, {}, QStringLiteral("ж"), 0xFF, 0, 0},
      {"backspace", Qt::Key_Backspace, {}, QString(), char_Backspace, 0x33, 0},
      {"clear", Qt::Key_Clear, {}, QString(), char_Escape, vkey_Clear, 0},
      {"escape", Qt::Key_Escape, {}, QString(), char_Escape, vkey_Escape, 0},
      {"forward delete", Qt::Key_Delete, {}, QString(), char_FwdDelete, 0x75, 0},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const QKeyEvent key(QEvent::KeyPress, row.key, row.modifiers, row.text);
    const EventRecord record = UKeyboard::FromQKeyEvent(key);
    EXPECT_EQ(record.what, keyDown);
    EXPECT_EQ(UKeyboard::CharCode(record), row.charCode);
    EXPECT_EQ(UKeyboard::KeyCode(record), row.keyCode);
    EXPECT_EQ(record.modifiers, row.modifierBits);
  }
}

// The field's super-commander: keeps the keys passed up to it.
class CKeyCatcher final : public LCommander {
 public:
  bool HandleKeyPress(const EventRecord& event) override {
    keys.push_back(event);
    return handles;
  }
  std::vector<EventRecord> keys;
  bool handles = true;
};

EKeyStatus UpperCaseOrIgnoreDigits(TEHandle, std::uint16_t, std::uint16_t& charCode,
                                   EventModifiers) {
  if (charCode >= '0' && charCode <= '9') return keyStatus_Ignore;
  if (charCode >= 'a' && charCode <= 'z')
    charCode = static_cast<std::uint16_t>(charCode - 'a' + 'A');
  return UKeyFilters::PrintingCharField(nullptr, 0, charCode, 0);
}

class EditFields : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<LWindow>(&super);
    field = new LEditText(window.get(), 8, &super, FourCC("Tchg"));
    field->AddListener(&listener);
  }
  void TearDown() override { LCommander::SwitchTarget(nullptr); }

  CKeyCatcher super;
  std::unique_ptr<LWindow> window;
  LEditText* field = nullptr;
  kvxtest::CValueListener listener;
};

TEST_F(EditFields, EachFilterAnswerHasItsEffect) {
  field->SetKeyFilter(&UpperCaseOrIgnoreDigits);
  struct SRow {
    const char* name;
    EventRecord key;
    QString text;
    std::size_t passedUp;
  };
  const SRow rows[] = {
      {"input, changed by the filter", KeyRecord('b'), QStringLiteral("B"), 0},
      {"ignored", KeyRecord('5'), QStringLiteral("B"), 0},
      {"a Mac Roman character (en dash)", KeyRecord(0xD0), QStringLiteral("B–"), 0},
      {"cursor key", KeyRecord(char_LeftArrow), QStringLiteral("B–"), 0},
      {"typed at the cursor", KeyRecord('c'), QStringLiteral("BC–"), 0},
      {"delete key", KeyRecord(char_Backspace), QStringLiteral("B–"), 0},
      {"return passes up", KeyRecord(char_Return), QStringLiteral("B–"), 1},
      {"Ctrl keys pass up before the filter", KeyRecord('f', 0, cmdKey), QStringLiteral("B–"), 2},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(field->HandleKeyPress(row.key));
    EXPECT_EQ(field->GetText(), row.text);
    EXPECT_EQ(super.keys.size(), row.passedUp);
  }
}

TEST_F(EditFields, RejectedKeysLeaveTheTextAlone) {
  field->SetKeyFilter(&UKeyFilters::IntegerField);
  field->HandleKeyPress(KeyRecord('4'));
  field->HandleKeyPress(KeyRecord('x'));
  field->HandleKeyPress(KeyRecord('2'));
  EXPECT_EQ(field->GetText(), QStringLiteral("42"));
  EXPECT_EQ(field->GetValue(), 42);
}

// Text that came in other ways than typing, such as a paste.
TEST_F(EditFields, GetValueReadsASignedNumberWithinTheIntegerRange) {
  struct SRow {
    const char* text;
    std::int32_t value;
  };
  const SRow rows[] = {
      {"+5", 5},
      {" -12 ", -12},
      {"", 0},
      {"99999999999", std::numeric_limits<std::int32_t>::max()},
      {"-99999999999", std::numeric_limits<std::int32_t>::min()},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.text);
    field->SetText(QString::fromLatin1(row.text));
    EXPECT_EQ(field->GetValue(), row.value);
  }
}

TEST_F(EditFields, UserEditsBroadcastTheFieldAndCodeEditsDoNot) {
  field->HandleKeyPress(KeyRecord('a'));
  field->SetText(QStringLiteral("set by code"));
  field->SetValue(-12);
  ASSERT_EQ(listener.messages.size(), 1u);
  EXPECT_EQ(listener.messages[0].message, FourCC("Tchg"));
  EXPECT_EQ(listener.messages[0].param, static_cast<void*>(field));
  EXPECT_EQ(field->GetValue(), -12);
}

TEST_F(EditFields, RealKeyPressesGoThroughTheFilterAndUpTheChain) {
  window->Show();
  field->GetLineEdit()->setFocus();
  field->SetKeyFilter(&UpperCaseOrIgnoreDigits);
  QTest::keyClicks(field->GetLineEdit(), QStringLiteral("ab1"));
  EXPECT_EQ(field->GetText(), QStringLiteral("AB"));
  super.handles = false;
  QTest::keyClick(field->GetLineEdit(), Qt::Key_B, Qt::ControlModifier);
  ASSERT_EQ(super.keys.size(), 1u) << "offered to the chain once, not again by the window";
  EXPECT_EQ(UKeyboard::CharCode(super.keys[0]), 'b');
  EXPECT_EQ(field->GetText(), QStringLiteral("AB"));
}

TEST_F(EditFields, TheFocusMakesTheFieldTheTargetWhichIsIdled) {
  window->Select();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  LCommander::SwitchTarget(window.get());
  LCommander::SwitchTarget(field);
  EXPECT_TRUE(field->IsTarget());
  EXPECT_TRUE(field->IsIdling());
  EXPECT_EQ(window->focusWidget(), field->GetLineEdit());

  LCommander::SwitchTarget(window.get());  // the window takes the focus back
  EXPECT_FALSE(field->IsIdling());
  EXPECT_EQ(window->focusWidget(), nullptr);

  field->GetLineEdit()->setFocus(Qt::MouseFocusReason);
  EXPECT_TRUE(field->IsTarget()) << "the user gave it the focus";
  field->GetLineEdit()->clearFocus();
  EXPECT_EQ(LCommander::GetTarget(), &super) << "the focus went: the target goes up";
}

TEST_F(EditFields, AnswersTheTextCommands) {
  auto status = [this](CommandT command) {
    bool enabled = false, usesMark = false;
    std::uint16_t mark = 0;
    Str255 name = {0};
    field->FindCommandStatus(command, enabled, usesMark, mark, name);
    return enabled;
  };
  field->SetText(QStringLiteral("title"));
  EXPECT_FALSE(status(cmd_Copy)) << "nothing selected";
  EXPECT_TRUE(field->ObeyCommand(cmd_SelectAll, nullptr));
  EXPECT_TRUE(status(cmd_Copy));
  EXPECT_TRUE(field->ObeyCommand(cmd_Copy, nullptr));
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("title"));
  EXPECT_TRUE(field->ObeyCommand(cmd_Clear, nullptr));
  EXPECT_EQ(field->GetText(), QString());
  EXPECT_TRUE(status(cmd_Paste));
  EXPECT_TRUE(field->ObeyCommand(cmd_Paste, nullptr));
  EXPECT_EQ(field->GetText(), QStringLiteral("title"));
  EXPECT_FALSE(field->ObeyCommand(cmd_Save, nullptr)) << "other commands go up";
}

}  // namespace

// The chain of command: commands, statuses and keys travel up; sub-commanders are owned by
// their super; the target moves with BeTarget/DontBeTarget and survives deletions.
#include "framework/core/LCommander.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UKeyboard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A commander that handles one command and one key, and logs what happens to it.
class CLoggingCommander : public LCommander {
 public:
  CLoggingCommander(std::string name, LCommander* super, std::vector<std::string>& log,
                    CommandT command = 0, std::uint16_t key = 0)
      : LCommander(super), mName(std::move(name)), mLog(log), mCommand(command), mKey(key) {}
  ~CLoggingCommander() override { mLog.push_back("~" + mName); }

  bool ObeyCommand(CommandT command, void* param) override {
    if (command != mCommand) return LCommander::ObeyCommand(command, param);
    mLog.push_back(mName + " obeys " + std::to_string(command));
    return true;
  }
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override {
    if (command != mCommand)
      return LCommander::FindCommandStatus(command, enabled, usesMark, mark, name);
    enabled = true;
    usesMark = true;
    mark = checkMark;
  }
  bool HandleKeyPress(const EventRecord& event) override {
    if (UKeyboard::CharCode(event) != mKey) return LCommander::HandleKeyPress(event);
    mLog.push_back(mName + " key");
    return true;
  }

 protected:
  void BeTarget() override { mLog.push_back(mName + " be"); }
  void DontBeTarget() override { mLog.push_back(mName + " dont"); }

 private:
  std::string mName;
  std::vector<std::string>& mLog;
  CommandT mCommand;
  std::uint16_t mKey;
};

EventRecord key(char character) {
  EventRecord event;
  event.what = keyDown;
  event.message = static_cast<unsigned char>(character);
  return event;
}

class Commanders : public ::testing::Test {
 protected:
  void TearDown() override { LCommander::SwitchTarget(nullptr); }
  std::vector<std::string> log;
};

TEST_F(Commanders, CommandsStatusesAndKeysTravelUpToWhoHandlesThem) {
  CLoggingCommander app("app", nullptr, log, cmd_Quit, 'q');
  auto* window = new CLoggingCommander("window", &app, log, cmd_Close, 'w');
  auto* field = new CLoggingCommander("field", window, log, cmd_Copy, 'c');

  EXPECT_TRUE(field->ObeyCommand(cmd_Close, nullptr));
  EXPECT_TRUE(field->ObeyCommand(cmd_Quit, nullptr));
  EXPECT_FALSE(field->ObeyCommand(cmd_Paste, nullptr));
  EXPECT_TRUE(field->HandleKeyPress(key('q')));
  EXPECT_FALSE(field->HandleKeyPress(key('x')));
  EXPECT_EQ(log, (std::vector<std::string>{"window obeys 4", "app obeys 10", "app key"}));

  bool enabled = false, usesMark = false;
  std::uint16_t mark = 0;
  Str255 name = {0};
  field->FindCommandStatus(cmd_Close, enabled, usesMark, mark, name);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(mark, checkMark);
  enabled = true;
  field->FindCommandStatus(cmd_Paste, enabled, usesMark, mark, name);
  EXPECT_FALSE(enabled) << "nobody handles paste: disabled at the top";
  EXPECT_EQ(mark, noMark);
}

TEST_F(Commanders, ASuperDeletesItsRemainingSubsAndADeletedSubLeavesItsSuper) {
  auto* app = new CLoggingCommander("app", nullptr, log);
  auto* document = new CLoggingCommander("document", app, log);
  auto* window = new CLoggingCommander("window", document, log);
  new CLoggingCommander("field", window, log);
  auto* dialog = new CLoggingCommander("dialog", window, log);

  delete dialog;
  EXPECT_EQ(window->GetSubCommanders().size(), 1u);
  delete app;
  EXPECT_EQ(log, (std::vector<std::string>{"~dialog", "~app", "~document", "~window", "~field"}));
}

TEST_F(Commanders, SwitchingTheTargetTellsTheOldOneFirstAndDeletingTheTargetHandsItUp) {
  CLoggingCommander app("app", nullptr, log);
  auto* window = new CLoggingCommander("window", &app, log);
  auto* field = new CLoggingCommander("field", window, log);

  LCommander::SwitchTarget(window);
  LCommander::SwitchTarget(field);
  LCommander::SwitchTarget(field);  // no change, nobody told
  EXPECT_TRUE(field->IsTarget());
  EXPECT_TRUE(window->IsOnDuty());
  EXPECT_TRUE(app.IsOnDuty());
  EXPECT_EQ(log, (std::vector<std::string>{"window be", "window dont", "field be"}));

  delete window;  // takes the field with it
  EXPECT_EQ(LCommander::GetTarget(), &app);
}

TEST_F(Commanders, MovingToAnotherSuperChangesTheChain) {
  CLoggingCommander first("first", nullptr, log, cmd_Save);
  CLoggingCommander second("second", nullptr, log, cmd_Open);
  CLoggingCommander sub("sub", &first, log);
  sub.SetSuperCommander(&second);
  EXPECT_TRUE(first.GetSubCommanders().empty());
  EXPECT_FALSE(sub.ObeyCommand(cmd_Save, nullptr));
  EXPECT_TRUE(sub.ObeyCommand(cmd_Open, nullptr));
}

TEST(UCommands, SyntheticCommandsNameTheirMenuAndItem) {
  EXPECT_EQ(UCommands::SyntheticCommand(129, 3), -(129 * 65536 + 3));
  // The system help menu's items: 0x406A0000 minus the item.
  EXPECT_EQ(UCommands::SyntheticCommand(-16490, 2), 0x406A0000 - 2);
  std::int16_t item = 0;
  EXPECT_TRUE(UCommands::IsSyntheticCommand(0x406A0000 - 2, -16490, item));
  EXPECT_EQ(item, 2);
  EXPECT_FALSE(UCommands::IsSyntheticCommand(UCommands::SyntheticCommand(130, 3), 129, item));
  EXPECT_FALSE(UCommands::IsSyntheticCommand(cmd_Save, 129, item));
}

}  // namespace

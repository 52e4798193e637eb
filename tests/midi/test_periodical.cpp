#include "ScriptedDialogHost.h"
#include "MidiTestSupport.h"

#include "framework/core/LCommander.h"
#include "framework/core/LException.h"
#include "framework/core/LPeriodical.h"
#include "framework/core/StDialogHandler.h"
#include "midi/CMidiInQueue.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Logs its name on every turn and runs an optional action during the turn.
class CProbe final : public LPeriodical {
 public:
  CProbe(std::string name, std::string& log) : mName(std::move(name)), mLog(log) {}
  void SpendTime(const EventRecord&) override {
    mLog += mName;
    if (action) {
      auto once = std::move(action);
      action = nullptr;
      once();
    }
  }
  std::function<void()> action;

 private:
  std::string mName;
  std::string& mLog;
};

struct SPassCase {
  const char* name;
  // What probe B does during its turn in the first pass.
  std::function<void(CProbe& a, std::unique_ptr<CProbe>& c, CProbe& d, CProbe& b)> action;
  const char* firstPass;
  const char* secondPass;
};

TEST(LPeriodical, ChangesDuringAPassTakeEffectAsDocumented) {
  const SPassCase cases[] = {
      {"nothing", [](CProbe&, std::unique_ptr<CProbe>&, CProbe&, CProbe&) {}, "ABC", "ABC"},
      {"B stops itself", [](CProbe&, std::unique_ptr<CProbe>&, CProbe&, CProbe& b) {
         b.StopRepeating();
       }, "ABC", "AC"},
      {"B stops the next one", [](CProbe&, std::unique_ptr<CProbe>& c, CProbe&, CProbe&) {
         c->StopRepeating();
       }, "AB", "AB"},
      {"B stops the one before", [](CProbe& a, std::unique_ptr<CProbe>&, CProbe&, CProbe&) {
         a.StopRepeating();
       }, "ABC", "BC"},
      {"B starts a new one", [](CProbe&, std::unique_ptr<CProbe>&, CProbe& d, CProbe&) {
         d.StartRepeating();
       }, "ABC", "ABCD"},
      {"B deletes the next one", [](CProbe&, std::unique_ptr<CProbe>& c, CProbe&, CProbe&) {
         c.reset();
       }, "AB", "AB"},
      {"B restarts itself", [](CProbe&, std::unique_ptr<CProbe>&, CProbe&, CProbe& b) {
         b.StopRepeating();
         b.StartRepeating();
       }, "ABC", "ACB"},
      {"B restarts the next one", [](CProbe&, std::unique_ptr<CProbe>& c, CProbe&, CProbe&) {
         c->StopRepeating();
         c->StartRepeating();
       }, "AB", "ABC"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    std::string log;
    CProbe a("A", log), b("B", log), d("D", log);
    auto c = std::make_unique<CProbe>("C", log);
    a.StartRepeating();
    b.StartRepeating();
    c->StartRepeating();
    b.action = [&] { row.action(a, c, d, b); };

    LPeriodical::DevoteTimeToRepeaters(EventRecord{});
    EXPECT_EQ(log, row.firstPass);
    log.clear();
    LPeriodical::DevoteTimeToRepeaters(EventRecord{});
    EXPECT_EQ(log, row.secondPass);
  }
}

TEST(LPeriodical, RepeatersAndIdlersAreSeparateLists) {
  std::string log;
  CProbe repeater("R", log), idler("I", log), both("B", log);
  repeater.StartRepeating();
  idler.StartIdling();
  both.StartRepeating();
  both.StartIdling();
  both.StartIdling();  // a second start changes nothing

  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  EXPECT_EQ(log, "RB");
  log.clear();
  LPeriodical::DevoteTimeToIdlers(EventRecord{});
  EXPECT_EQ(log, "IB");

  both.StopRepeating();
  EXPECT_FALSE(both.IsRepeating());
  EXPECT_TRUE(both.IsIdling());
}

TEST(LPeriodical, NestedPassKeepsTheOuterPassValid) {
  std::string log;
  CProbe a("A", log), b("B", log), c("C", log);
  a.StartRepeating();
  b.StartRepeating();
  c.StartRepeating();
  // B runs a nested pass (as a modal dialog inside a turn would); in it C stops itself and
  // A starts over at the end of the list.
  b.action = [&] {
    log += "[";
    c.action = [&] { c.StopRepeating(); };
    a.action = [&] {
      a.StopRepeating();
      a.StartRepeating();
    };
    LPeriodical::DevoteTimeToRepeaters(EventRecord{});
    log += "]";
  };
  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  EXPECT_EQ(log, "AB[ABC]");
  log.clear();
  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  EXPECT_EQ(log, "BA");
}

TEST(LPeriodical, DestroyedPeriodicalLeavesBothLists) {
  std::string log;
  {
    CProbe gone("G", log);
    gone.StartRepeating();
    gone.StartIdling();
  }
  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  LPeriodical::DevoteTimeToIdlers(EventRecord{});
  EXPECT_EQ(log, "");
}

class CTopCommander final : public LCommander {
 public:
  bool ObeyCommand(CommandT command, void* param) override {
    if (command == 5) return true;
    return LCommander::ObeyCommand(command, param);
  }
};

TEST(LCommander, UnhandledCommandsTravelUpAndStopAtTheTop) {
  CTopCommander top;
  LCommander middle(&top);
  LCommander bottom(&middle);
  EXPECT_TRUE(bottom.ObeyCommand(5, nullptr));
  EXPECT_FALSE(bottom.ObeyCommand(6, nullptr));

  bool enabled = true, usesMark = true;
  std::uint16_t mark = 0x12;
  Str255 name = {0};
  bottom.FindCommandStatus(6, enabled, usesMark, mark, name);
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(usesMark);
  EXPECT_EQ(mark, 0);
}

TEST(StDialogHandler, WithoutAHostConstructionThrowsNilPointer) {
  StDialogHost none(nullptr);
  try {
    StDialogHandler handler(3004, nullptr);
    FAIL() << "a dialog without a host opened";
  } catch (const LException& error) {
    EXPECT_EQ(error.GetErrorCode(), err_NilPointer);
  }
}

TEST(StDialogHandler, EachPassGivesPeriodicalsATurnThenReturnsTheAnswer) {
  CScriptedDialogHost host;
  StDialogHost installed(&host);
  host.Script(3003, {msg_Nothing, msg_Nothing, msg_OK});
  std::string log;
  CProbe repeater("R", log), idler("I", log);
  repeater.StartRepeating();
  idler.StartIdling();
  {
    StDialogHandler handler(3003, nullptr);
    EXPECT_FALSE(host.Dialogs().back().shown);
    std::vector<MessageT> answers;
    for (int pass = 0; pass < 4; ++pass) answers.push_back(handler.DoDialog());
    EXPECT_EQ(answers, (std::vector<MessageT>{msg_Nothing, msg_Nothing, msg_OK, msg_Nothing}));
    EXPECT_EQ(log, "RIRIRIRI");
    EXPECT_TRUE(host.Dialogs().back().shown);
    EXPECT_FALSE(host.Dialogs().back().closed);
  }
  EXPECT_TRUE(host.Dialogs().back().closed);
}

TEST(StDialogHandler, ProgressBarClampsAndReportsOnlyChanges) {
  CScriptedDialogHost host;
  StDialogHost installed(&host);
  StDialogHandler handler(3004, nullptr);
  LDialogProgressBar& bar = handler.GetDialog()->FindProgressBar(3);
  EXPECT_EQ(&bar, &handler.GetDialog()->FindProgressBar(3));

  bar.SetIndeterminateFlag(true);
  bar.SetMinValue(0);  // no change
  bar.SetMaxValue(50);
  bar.SetValue(70);    // clamped to 50
  bar.SetValue(50);    // no change
  bar.SetMaxValue(40);  // pulls the value down
  bar.SetIndeterminateFlag(false);
  bar.SetValue(-3);     // clamped to 0

  const auto& progress = host.Dialogs().back().progress;
  const std::vector<SProgressState> expected = {
      {0, 0, 0, true}, {0, 0, 50, true}, {50, 0, 50, true},
      {40, 0, 40, true}, {40, 0, 40, false}, {0, 0, 40, false}};
  ASSERT_EQ(progress.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(progress[i].first, 3);
    EXPECT_EQ(progress[i].second, expected[i]);
  }
}

TEST(StDialogHandler, ClosedDialogStillServesPeriodicals) {
  CScriptedDialogHost host;
  StDialogHost installed(&host);
  host.Script(3005, {msg_OK, msg_OK});
  std::string log;
  CProbe idler("I", log);
  idler.StartIdling();
  StDialogHandler handler(3005, nullptr);
  handler.GetDialog()->Close();
  EXPECT_TRUE(host.Dialogs().back().closed);
  EXPECT_EQ(handler.DoDialog(), msg_Nothing);
  EXPECT_EQ(log, "I");
}

// The way a transfer waits for incoming messages: the queue's turns come from the dialog loop.
TEST(StDialogHandler, QueueDeliversInsideTheDialogLoopUntilCancel) {
  StMidiTables tables;
  CScriptedDialogHost host;
  StDialogHost installed(&host);
  CRecordingHandler handler;
  CMidiInQueue queue;
  ASSERT_TRUE(queue.AllocateQueue(2048));
  queue.AllocateMsgBuffer(256);
  queue.SetMidiInHandler(&handler);
  queue.StartQueueWatching();
  CMidiOperation::SetMidiInQueue(0, &queue);

  const std::vector<std::size_t> lengths = {3, 141};
  for (std::uint32_t i = 0; i < 10; ++i) {
    const Bytes message = MakeMessage(i, lengths);
    queue.InsertPacket(message.data(), message.size(), 0);
  }
  host.Script(3002, {msg_Nothing, msg_Nothing, msg_Nothing, msg_Cancel});

  StDialogHandler dialog(3002, nullptr);
  std::vector<long> deliveredAfterPass;
  MessageT answer = msg_Nothing;
  while (answer != msg_Cancel) {
    answer = dialog.DoDialog();
    deliveredAfterPass.push_back(handler.Delivered());
  }
  // Four messages per turn, a repeater turn and an idler turn per pass.
  EXPECT_EQ(deliveredAfterPass, (std::vector<long>{8, 10, 10, 10}));
  ASSERT_EQ(handler.Messages().size(), 10u);
  for (std::uint32_t i = 0; i < 10; ++i) EXPECT_EQ(handler.Messages()[i], MakeMessage(i, lengths));
}

}  // namespace

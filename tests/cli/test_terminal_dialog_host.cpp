// The terminal's dialogs as the core runs them through StDialogHandler: questions answered
// from the input, notices, waits and progress bars that end on Ctrl-C or when the time is
// up, and dialogs the tool did not describe.
#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>
#include <string>

#include "cli/CTerminalDialogHost.h"

namespace {

using EKind = CTerminalDialogHost::EKind;

constexpr ResIDT kQuestion = 3001;
constexpr ResIDT kWait = 3002;
constexpr ResIDT kNotice = 3003;
constexpr ResIDT kProgress = 3004;

// An input that holds `text` and then ends.
class StInput {
 public:
  explicit StInput(const std::string& text) {
    int ends[2];
    if (::pipe(ends) != 0) throw std::runtime_error("no pipe");
    mRead = ends[0];
    if (!text.empty() && ::write(ends[1], text.data(), text.size()) < 0) ADD_FAILURE();
    ::close(ends[1]);
  }
  ~StInput() { ::close(mRead); }
  int Fd() const { return mRead; }

 private:
  int mRead = -1;
};

// The answers of one dialog's turns until it answers OK or Cancel.
MessageT RunUntilAnswered(ResIDT id, int& turns) {
  StDialogHandler dialog(id, nullptr);
  MessageT message = msg_Nothing;
  for (turns = 1; turns <= 1000; ++turns) {
    message = dialog.DoDialog();
    if (message == msg_OK || message == msg_Cancel) break;
  }
  return message;
}

struct SQuestionRow {
  const char* name;
  std::string input;
  bool assumeYes;
  MessageT answer;
};

TEST(TerminalDialogHost, QuestionsAreAnsweredByALineOfInput) {
  const SQuestionRow rows[] = {
      {"y", "y\n", false, msg_OK},
      {"yes in capitals with blanks", "  YES \n", false, msg_OK},
      {"n", "n\n", false, msg_Cancel},
      {"an empty line", "\n", false, msg_Cancel},
      {"something else", "sure\n", false, msg_Cancel},
      {"yes without a line end", "y", false, msg_OK},
      {"no input at all", "", false, msg_Cancel},
      {"--yes", "n\n", true, msg_OK},
  };
  for (const SQuestionRow& row : rows) {
    SCOPED_TRACE(row.name);
    StInput input(row.input);
    std::ostringstream messages;
    CTerminalDialogHost host(messages, {input.Fd(), row.assumeYes, false, {}, {}});
    host.Define(kQuestion, {EKind::Question, "Send it?"});
    StDialogHost installed(&host);
    int turns = 0;
    EXPECT_EQ(RunUntilAnswered(kQuestion, turns), row.answer);
    EXPECT_EQ(host.WasDeclined(), row.answer == msg_Cancel);
    // The question is asked unless --yes answers it.
    EXPECT_EQ(messages.str().find("Send it? [y/N] ") != std::string::npos, !row.assumeYes)
        << messages.str();
  }
}

TEST(TerminalDialogHost, CtrlCCancelsQuestionsWaitsAndProgressButNotNotices) {
  for (ResIDT id : {kQuestion, kWait, kProgress, kNotice}) {
    SCOPED_TRACE(id);
    StInput input("y\n");
    std::ostringstream messages;
    CTerminalDialogHost host(messages, {input.Fd(), false, false, {}, [] { return true; }});
    host.Define(kQuestion, {EKind::Question, "Send it?"});
    host.Define(kWait, {EKind::Wait, "Waiting"});
    host.Define(kProgress, {EKind::Progress, "Sending"});
    host.Define(kNotice, {EKind::Notice, "Cancelled."});
    StDialogHost installed(&host);
    int turns = 0;
    EXPECT_EQ(RunUntilAnswered(id, turns), id == kNotice ? msg_OK : msg_Cancel);
    EXPECT_EQ(turns, 1);
    EXPECT_EQ(host.WasInterrupted(), id != kNotice);
    EXPECT_FALSE(host.TimedOut());
  }
}

TEST(TerminalDialogHost, WaitsEndWhenTheTimeIsUpCountedOverAllOfThem) {
  std::ostringstream messages;
  CTerminalDialogHost host(messages, {0, false, false, std::chrono::milliseconds(0), {}});
  host.Define(kWait, {EKind::Wait, "Waiting"});
  host.Define(kProgress, {EKind::Progress, "Receiving"});
  StDialogHost installed(&host);
  int turns = 0;
  EXPECT_EQ(RunUntilAnswered(kWait, turns), msg_Cancel);
  EXPECT_EQ(RunUntilAnswered(kProgress, turns), msg_Cancel);
  EXPECT_EQ(turns, 1);
  EXPECT_TRUE(host.TimedOut());
  EXPECT_FALSE(host.WasInterrupted());
}

TEST(TerminalDialogHost, AWaitGoesOnWhileThereIsTime) {
  std::ostringstream messages;
  CTerminalDialogHost host(messages, {0, false, false, std::chrono::hours(1), [] { return false; }});
  host.Define(kWait, {EKind::Wait, "Waiting for the dumps"});
  StDialogHost installed(&host);
  StDialogHandler dialog(kWait, nullptr);
  for (int turn = 0; turn < 5; ++turn) EXPECT_EQ(dialog.DoDialog(), msg_Nothing);
  EXPECT_EQ(messages.str(), "Waiting for the dumps\n");  // once, when shown
  EXPECT_FALSE(host.TimedOut());
}

TEST(TerminalDialogHost, AProgressBarIsRedrawnInPlaceOnATerminal) {
  std::ostringstream messages;
  CTerminalDialogHost host(messages, {0, false, true, {}, {}});
  host.Define(kProgress, {EKind::Progress, "Sending", 1});
  StDialogHost installed(&host);
  {
    StDialogHandler dialog(kProgress, nullptr);
    LDialogProgressBar& bar = dialog.GetDialog()->FindProgressBar(3);
    bar.SetMaxValue(50);
    bar.SetValue(24);  // the 25th item
    dialog.DoDialog();
    ASSERT_TRUE(host.LastProgress().has_value());
    EXPECT_EQ(host.LastProgress()->value, 24);
  }
  const std::string half = "\rSending  [" + std::string(15, '#') + std::string(15, ' ') + "] 25/50";
  EXPECT_NE(messages.str().find(half), std::string::npos) << messages.str();
  EXPECT_EQ(messages.str().back(), '\n');  // closing leaves the line
}

TEST(TerminalDialogHost, AnIndeterminateBarShowsNoCount) {
  std::ostringstream messages;
  CTerminalDialogHost host(messages, {0, false, true, {}, {}});
  host.Define(kProgress, {EKind::Progress, "Receiving", 0});
  StDialogHost installed(&host);
  StDialogHandler dialog(kProgress, nullptr);
  LDialogProgressBar& bar = dialog.GetDialog()->FindProgressBar(3);
  bar.SetIndeterminateFlag(true);
  bar.SetMaxValue(50);
  EXPECT_NE(messages.str().find("Receiving  [" + std::string(30, '.') + "] -/50"),
            std::string::npos)
      << messages.str();
}

TEST(TerminalDialogHost, WithoutATerminalAProgressDialogPrintsItsTextOnce) {
  std::ostringstream messages;
  CTerminalDialogHost host(messages, {0, false, false, {}, {}});
  host.Define(kProgress, {EKind::Progress, "Sending", 1});
  StDialogHost installed(&host);
  {
    StDialogHandler dialog(kProgress, nullptr);
    LDialogProgressBar& bar = dialog.GetDialog()->FindProgressBar(3);
    bar.SetMaxValue(50);
    for (int value = 0; value < 50; ++value) {
      bar.SetValue(value);
      dialog.DoDialog();
    }
  }
  EXPECT_EQ(messages.str(), "Sending\n");
  EXPECT_TRUE(host.WasOpened(kProgress));
  EXPECT_FALSE(host.WasOpened(kWait));
}

TEST(TerminalDialogHost, ADialogWithoutATerminalFormIsCancelled) {
  std::ostringstream messages;
  CTerminalDialogHost host(messages, {0, false, false, {}, {}});
  StDialogHost installed(&host);
  int turns = 0;
  EXPECT_EQ(RunUntilAnswered(3999, turns), msg_Cancel);
  EXPECT_NE(messages.str().find("dialog 3999 has no terminal form"), std::string::npos);
}

}  // namespace

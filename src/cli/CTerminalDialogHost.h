// The modal dialogs of the core, on a terminal. The tool tells the host beforehand what each
// dialog (by layout ID) is: a yes/no question, a notice, a wait or a progress bar, and with
// what text. Questions are asked on the message stream and answered by a line from the input
// (y or yes for OK; anything else, or the end of the input, for Cancel). Waits and progress
// bars answer Cancel when Ctrl-C was pressed or the time allowed is up; otherwise each turn
// rests for a millisecond, so the core's loops neither spin nor lag behind the tick count.
// Main thread only.
#pragma once

#include "framework/core/StDialogHandler.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CTerminalDialogHost final : public LDialogHost {
 public:
  enum class EKind {
    Question,  // OK for yes, Cancel for no
    Notice,    // shows its text (if any) and answers OK
    Wait,      // shows its text; Cancel on Ctrl-C or time-out
    Progress,  // the same, with a progress bar
  };

  struct SDialog {
    EKind kind = EKind::Notice;
    std::string text;  // UTF-8, one line
    // Added to the bar's value when it is shown (a bar that counts from 0 for the first item
    // shows 1 with an offset of 1).
    int shownOffset = 0;
  };

  struct SOptions {
    int inputFd = 0;            // answers to questions
    bool assumeYes = false;     // questions answer yes without asking
    bool drawProgress = false;  // redraw bars in place (the message stream is a terminal)
    // How long waits and progress bars may take in all, counted from the first one shown.
    std::optional<std::chrono::milliseconds> timeout;
    std::function<bool()> interrupted;  // Ctrl-C was pressed
  };

  CTerminalDialogHost(std::ostream& messages, SOptions options);
  ~CTerminalDialogHost() override;

  void Define(ResIDT layoutID, SDialog dialog);

  bool WasInterrupted() const { return mInterrupted; }
  bool TimedOut() const { return mTimedOut; }
  // A question was answered no (or not at all).
  bool WasDeclined() const { return mDeclined; }
  bool WasOpened(ResIDT layoutID) const;
  // The last state of a progress bar, when one was shown.
  const std::optional<SProgressState>& LastProgress() const { return mLastProgress; }

  std::unique_ptr<LDialogView> OpenDialog(ResIDT layoutID, LCommander* superCommander) override;

 private:
  class CView;
  friend class CView;

  // Whether a wait must end now: Ctrl-C, or the time is up (counted from the first call).
  bool MustStopWaiting();
  // A line of input, when one is complete (or the input ended); waits at most `wait`.
  std::optional<std::string> ReadAnswer(std::chrono::milliseconds wait);

  std::ostream& mMessages;
  SOptions mOptions;
  std::map<ResIDT, SDialog> mDialogs;
  std::vector<ResIDT> mOpened;
  std::optional<std::chrono::steady_clock::time_point> mDeadline;
  std::string mPendingInput;
  bool mInputEnded = false;
  bool mInterrupted = false;
  bool mTimedOut = false;
  bool mDeclined = false;
  std::optional<SProgressState> mLastProgress;
};

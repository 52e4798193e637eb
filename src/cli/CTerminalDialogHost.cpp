#include "cli/CTerminalDialogHost.h"

#include "framework/core/TickCount.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ostream>
#include <thread>
#include <utility>

namespace {

constexpr auto kTick = std::chrono::milliseconds(1000 / 60);
constexpr int kBarWidth = 30;

bool IsYes(std::string answer) {
  std::erase_if(answer, [](unsigned char c) { return std::isspace(c) != 0; });
  std::transform(answer.begin(), answer.end(), answer.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return answer == "y" || answer == "yes";
}

std::string DrawBar(const std::string& text, const SProgressState& state, int shownOffset) {
  const int range = std::max(1, state.maxValue - state.minValue);
  std::string bar(kBarWidth, state.indeterminate ? '.' : ' ');
  std::string count = "-";
  if (!state.indeterminate) {
    const int shown = std::clamp(state.value + shownOffset, state.minValue, state.maxValue);
    const int filled = (shown - state.minValue) * kBarWidth / range;
    std::fill_n(bar.begin(), filled, '#');
    count = std::to_string(shown);
  }
  return text + "  [" + bar + "] " + count + "/" + std::to_string(state.maxValue);
}

}  // namespace

class CTerminalDialogHost::CView final : public LDialogView {
 public:
  CView(CTerminalDialogHost& host, std::optional<SDialog> dialog, ResIDT layoutID)
      : mHost(host), mDialog(std::move(dialog)), mLayoutID(layoutID) {}

  ~CView() override {
    // A bar drawn in place leaves its line to what follows.
    if (mBarDrawn) mHost.mMessages << '\n' << std::flush;
  }

  void Show() override {
    if (!mDialog) {
      mHost.mMessages << "kvx: dialog " << mLayoutID << " has no terminal form; cancelled\n";
      return;
    }
    switch (mDialog->kind) {
      case EKind::Question:
        if (!mHost.mOptions.assumeYes) mHost.mMessages << mDialog->text << " [y/N] " << std::flush;
        break;
      case EKind::Progress:
        if (mHost.mOptions.drawProgress) break;  // the bar shows the text
        [[fallthrough]];
      case EKind::Notice:
      case EKind::Wait:
        if (!mDialog->text.empty()) mHost.mMessages << mDialog->text << '\n' << std::flush;
        break;
    }
  }

  void ProgressChanged(PaneIDT, const SProgressState& state) override {
    mHost.mLastProgress = state;
    if (!mDialog || mDialog->kind != EKind::Progress || !mHost.mOptions.drawProgress) return;
    mHost.mMessages << '\r' << DrawBar(mDialog->text, state, mDialog->shownOffset) << "\x1b[K"
                    << std::flush;
    mBarDrawn = true;
  }

  // Notes the core shows beside a bar (a stage of the transfer, what is damaged or missing)
  // get lines of their own.
  void CaptionChanged(PaneIDT, const std::string& text) override {
    if (text.empty() || !mDialog || mDialog->kind != EKind::Progress) return;
    if (mBarDrawn) mHost.mMessages << '\n';
    mBarDrawn = false;
    mHost.mMessages << text << '\n' << std::flush;
  }

  MessageT ProcessEvents() override {
    if (!mDialog) return msg_Cancel;
    switch (mDialog->kind) {
      case EKind::Question:
        return Ask();
      case EKind::Notice:
        return msg_OK;
      case EKind::Wait:
      case EKind::Progress:
        if (mHost.MustStopWaiting()) return msg_Cancel;
        // Transfers count ticks: rest until the next one, when the transfer has news.
        std::this_thread::sleep_until(NextTickDue());
        return msg_Nothing;
    }
    return msg_Cancel;
  }

 private:
  MessageT Ask() {
    if (mHost.mOptions.assumeYes) return msg_OK;
    if (mHost.mOptions.interrupted && mHost.mOptions.interrupted()) {
      mHost.mInterrupted = true;
      return Decline();
    }
    const std::optional<std::string> answer = mHost.ReadAnswer(kTick);
    if (!answer) return msg_Nothing;
    // A terminal echoed the answer with its line end; other inputs did not.
    if (::isatty(mHost.mOptions.inputFd) == 0) mHost.mMessages << '\n';
    return IsYes(*answer) ? msg_OK : Decline();
  }

  MessageT Decline() {
    mHost.mDeclined = true;
    return msg_Cancel;
  }

  CTerminalDialogHost& mHost;
  std::optional<SDialog> mDialog;
  ResIDT mLayoutID;
  bool mBarDrawn = false;
};

CTerminalDialogHost::CTerminalDialogHost(std::ostream& messages, SOptions options)
    : mMessages(messages), mOptions(std::move(options)) {}

CTerminalDialogHost::~CTerminalDialogHost() = default;

void CTerminalDialogHost::Define(ResIDT layoutID, SDialog dialog) {
  mDialogs[layoutID] = std::move(dialog);
}

bool CTerminalDialogHost::WasOpened(ResIDT layoutID) const {
  return std::find(mOpened.begin(), mOpened.end(), layoutID) != mOpened.end();
}

std::unique_ptr<LDialogView> CTerminalDialogHost::OpenDialog(ResIDT layoutID, LCommander*) {
  mOpened.push_back(layoutID);
  const auto found = mDialogs.find(layoutID);
  std::optional<SDialog> dialog;
  if (found != mDialogs.end()) dialog = found->second;
  return std::make_unique<CView>(*this, std::move(dialog), layoutID);
}

bool CTerminalDialogHost::MustStopWaiting() {
  if (mOptions.interrupted && mOptions.interrupted()) {
    mInterrupted = true;
    return true;
  }
  if (!mOptions.timeout) return false;
  const auto now = std::chrono::steady_clock::now();
  if (!mDeadline) mDeadline = now + *mOptions.timeout;
  if (now < *mDeadline) return false;
  mTimedOut = true;
  return true;
}

std::optional<std::string> CTerminalDialogHost::ReadAnswer(std::chrono::milliseconds wait) {
  const auto lineEnd = [this] { return mPendingInput.find('\n'); };
  if (!mInputEnded && lineEnd() == std::string::npos) {
    pollfd input{mOptions.inputFd, POLLIN, 0};
    const int ready = ::poll(&input, 1, static_cast<int>(wait.count()));
    if (ready > 0) {
      char buffer[256];
      const ssize_t count = ::read(mOptions.inputFd, buffer, sizeof buffer);
      if (count > 0) {
        mPendingInput.append(buffer, static_cast<std::size_t>(count));
      } else if (count == 0 || errno != EINTR) {
        mInputEnded = true;  // the end of the input, or an input that cannot be read
      }
    } else if (ready < 0 && errno != EINTR) {
      mInputEnded = true;
    }
  }
  const std::size_t end = lineEnd();
  if (end != std::string::npos) {
    std::string line = mPendingInput.substr(0, end);
    mPendingInput.erase(0, end + 1);
    return line;
  }
  if (mInputEnded) return std::exchange(mPendingInput, {});
  return std::nullopt;
}

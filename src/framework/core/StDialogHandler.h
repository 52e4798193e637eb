// Modal dialogs as the core runs them. The core opens a dialog by layout ID, sets its progress
// bars and calls DoDialog in its own loop until the answer it waits for comes; the user side
// is an installed dialog host: the GUI installs one with real windows, the command-line tool
// one on the terminal, tests a scripted one. Main thread only.
#pragma once

#include "framework/core/MacTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class LCommander;

constexpr MessageT msg_Nothing = 0;
constexpr MessageT msg_OK = 900;
constexpr MessageT msg_Cancel = 901;

// What a progress bar pane shows.
struct SProgressState {
  std::int32_t value = 0;
  std::int32_t minValue = 0;
  std::int32_t maxValue = 0;
  bool indeterminate = false;
  bool operator==(const SProgressState&) const = default;
};

// One open dialog on the host's side. Destroying it closes the dialog.
class LDialogView {
 public:
  virtual ~LDialogView() = default;
  virtual void Show() = 0;
  virtual void ProgressChanged(PaneIDT paneID, const SProgressState& state) = 0;
  // The text of caption pane `paneID` is now `text` (UTF-8). Hosts without such panes may
  // leave it unshown.
  virtual void CaptionChanged(PaneIDT /*paneID*/, const std::string& /*text*/) {}
  // Pane `paneID` is now shown or hidden. Hosts without such panes may ignore it.
  virtual void PaneShown(PaneIDT /*paneID*/, bool /*shown*/) {}
  // Lets the user act for at most one tick (1/60 s); returns the message of the control hit
  // (msg_OK, msg_Cancel, ...) or msg_Nothing. Waiting here keeps the core's loops from
  // spinning.
  virtual MessageT ProcessEvents() = 0;
};

class LDialogHost {
 public:
  virtual ~LDialogHost() = default;
  // Creates the dialog of layout `layoutID`, not yet shown.
  virtual std::unique_ptr<LDialogView> OpenDialog(ResIDT layoutID,
                                                  LCommander* superCommander) = 0;
};

class LModalDialog;

// A progress bar pane of a modal dialog. The value always lies within the range.
class LDialogProgressBar {
 public:
  LDialogProgressBar(LModalDialog& dialog, PaneIDT paneID) : mDialog(dialog), mPaneID(paneID) {}
  LDialogProgressBar(const LDialogProgressBar&) = delete;
  LDialogProgressBar& operator=(const LDialogProgressBar&) = delete;

  std::int32_t GetValue() const { return mState.value; }
  std::int32_t GetMinValue() const { return mState.minValue; }
  std::int32_t GetMaxValue() const { return mState.maxValue; }
  bool IsIndeterminate() const { return mState.indeterminate; }
  const SProgressState& GetState() const { return mState; }

  void SetValue(std::int32_t value);
  void SetMinValue(std::int32_t minValue);
  void SetMaxValue(std::int32_t maxValue);
  void SetIndeterminateFlag(bool indeterminate);

 private:
  void Change(SProgressState next);

  LModalDialog& mDialog;
  PaneIDT mPaneID;
  SProgressState mState;
};

// The dialog of a StDialogHandler as the core sees it.
class LModalDialog {
 public:
  LModalDialog(ResIDT layoutID, std::unique_ptr<LDialogView> view);
  LModalDialog(const LModalDialog&) = delete;
  LModalDialog& operator=(const LModalDialog&) = delete;

  ResIDT GetLayoutID() const { return mLayoutID; }
  void Show();
  // Takes the dialog off the screen for good; later turns still serve the periodicals.
  void Close();
  bool IsOpen() const { return mView != nullptr; }
  bool IsVisible() const { return mVisible; }
  // The host's side of the dialog (null once closed), for hosts that hand out their views.
  LDialogView* GetView() const { return mView.get(); }

  // The progress bar in pane `paneID` (created on first use).
  LDialogProgressBar& FindProgressBar(PaneIDT paneID);
  // Shows `text` (UTF-8) in caption pane `paneID`.
  void SetCaption(PaneIDT paneID, const std::string& text);
  // Shows or hides pane `paneID` (a button the dialog offers only at times).
  void ShowPane(PaneIDT paneID, bool shown);

  // One turn of the user side; msg_Nothing once closed.
  MessageT ProcessEvents();

 private:
  friend class LDialogProgressBar;
  void ProgressChanged(PaneIDT paneID, const SProgressState& state);

  ResIDT mLayoutID;
  std::unique_ptr<LDialogView> mView;
  bool mVisible = false;
  std::map<PaneIDT, LDialogProgressBar> mProgressBars;
};

class StDialogHandler {
 public:
  // Opens dialog `layoutID` through the installed host; throws err_NilPointer when no host is
  // installed, since nobody could ever answer the dialog.
  StDialogHandler(ResIDT layoutID, LCommander* superCommander);
  // Closes the dialog.
  ~StDialogHandler();
  StDialogHandler(const StDialogHandler&) = delete;
  StDialogHandler& operator=(const StDialogHandler&) = delete;

  LModalDialog* GetDialog() { return mDialog.get(); }

  // One pass of the dialog's loop: a turn for every repeater and idler, then at most one
  // tick of the user's events. Shows the dialog on its first pass. Returns the message of
  // the control hit (msg_OK, msg_Cancel, ...) or msg_Nothing.
  MessageT DoDialog();

  // Installs `host` (not owned; null removes it) and returns the one installed before.
  static LDialogHost* SetHost(LDialogHost* host);
  static LDialogHost* GetHost();

 private:
  std::unique_ptr<LModalDialog> mDialog;
};

// Installs a dialog host for the lifetime of the scope.
class StDialogHost {
 public:
  explicit StDialogHost(LDialogHost* host) : mPrevious(StDialogHandler::SetHost(host)) {}
  ~StDialogHost() { StDialogHandler::SetHost(mPrevious); }
  StDialogHost(const StDialogHost&) = delete;
  StDialogHost& operator=(const StDialogHost&) = delete;

 private:
  LDialogHost* mPrevious;
};

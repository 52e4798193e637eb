// The seam through which the core shows alerts. The GUI installs a presenter with real alert
// boxes, the command-line tool one that writes to the terminal, tests a scripted one.
#pragma once

#include "framework/core/MacTypes.h"

#include <string>

class LAlertPresenter {
 public:
  virtual ~LAlertPresenter() = default;
  // Shows the caution alert `alertID` with `message` and returns when it is dismissed.
  virtual void CautionAlert(ResIDT alertID, const std::string& message) = 0;
  // Whether the program was the front process; brings it forward when asked to.
  virtual bool IsFrontProcess(bool /*bringToFront*/) { return true; }
  // The program became active again after an alert brought it forward.
  virtual void Resume() {}
};

class UModalAlerts {
 public:
  // Installs `presenter` (not owned; null restores the default, which writes to stderr) and
  // returns the one installed before.
  static LAlertPresenter* SetPresenter(LAlertPresenter* presenter);
  static LAlertPresenter& GetPresenter();
  static void CautionAlert(ResIDT alertID, const std::string& message);
};

// Installs a presenter for the lifetime of the scope.
class StAlertPresenter {
 public:
  explicit StAlertPresenter(LAlertPresenter* presenter)
      : mPrevious(UModalAlerts::SetPresenter(presenter)) {}
  ~StAlertPresenter() { UModalAlerts::SetPresenter(mPrevious); }
  StAlertPresenter(const StAlertPresenter&) = delete;
  StAlertPresenter& operator=(const StAlertPresenter&) = delete;

 private:
  LAlertPresenter* mPrevious;
};

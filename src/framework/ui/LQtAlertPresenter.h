// The alert presenter of the GUI: a caution alert is a modal warning message box over the
// active window, with an OK button.
#pragma once

#include "framework/core/UModalAlerts.h"

class LQtAlertPresenter final : public LAlertPresenter {
 public:
  void CautionAlert(ResIDT alertID, const std::string& message) override;
  // Whether the application is active; when asked, brings its front window forward.
  bool IsFrontProcess(bool bringToFront) override;
  void Resume() override;
};

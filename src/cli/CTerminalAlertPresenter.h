// The alert presenter of the command-line tool: instead of showing an alert it keeps the
// message, so that the tool can print it with the name of the file it concerns.
#pragma once

#include <string>
#include <vector>

#include "framework/core/UModalAlerts.h"

class CTerminalAlertPresenter final : public LAlertPresenter {
 public:
  void CautionAlert(ResIDT alertID, const std::string& message) override;

  // The messages kept since the last call, as UTF-8, joined by blanks; empty when none.
  std::string TakeMessages();

 private:
  std::vector<std::string> mMessages;
};

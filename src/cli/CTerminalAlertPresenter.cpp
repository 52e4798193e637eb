#include "cli/CTerminalAlertPresenter.h"

#include "framework/core/UMacRoman.h"

void CTerminalAlertPresenter::CautionAlert(ResIDT /*alertID*/, const std::string& message) {
  // Alert texts are Mac Roman, like every string of the core.
  mMessages.push_back(UMacRoman::ToUTF8(message));
}

std::string CTerminalAlertPresenter::TakeMessages() {
  std::string text;
  for (const std::string& message : mMessages) text += (text.empty() ? "" : " ") + message;
  mMessages.clear();
  return text;
}

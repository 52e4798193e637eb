#include "utilities/UAlert.h"

#include "framework/core/LString.h"
#include "framework/core/UModalAlerts.h"
#include "framework/core/UStringLists.h"

bool UAlert::sIsAlerting = false;

bool UAlert::IsFrontProcess(bool bringToFront) {
  return UModalAlerts::GetPresenter().IsFrontProcess(bringToFront);
}

void UAlert::ErrorAlert(ConstStr255Param message) { ErrorAlert(LString::ToStd(message)); }

void UAlert::ErrorAlert(const std::string& message) {
  sIsAlerting = true;
  try {
    bool wasInFront = IsFrontProcess(true);
    UModalAlerts::CautionAlert(ALRT_Caution, message);
    if (!wasInFront) UModalAlerts::GetPresenter().Resume();
  } catch (...) {
    // An alert must never take the caller down with it.
  }
  sIsAlerting = false;
}

void UAlert::ErrorAlert(ResIDT listID, std::int16_t index) {
  ErrorAlert(LStr255(listID, index));
}

void UAlert::FileErrorAlert(std::int16_t index, std::string_view displayName) {
  const std::string text = UStringLists::GetIndString(STRx_Errors, index);
  if (displayName.empty()) return ErrorAlert(text);
  std::string named = "\"";
  named.append(displayName).append("\": ").append(text);
  ErrorAlert(named);
}

std::string UAlert::GetMessage(std::int16_t index, std::string_view param,
                               std::string_view param1) {
  const std::string text = UStringLists::GetIndString(STRx_Errors, index);
  std::string message;
  for (std::size_t at = 0; at < text.size(); ++at) {
    // One pass, so that a "^1" inside a file name stays as it is.
    if (text[at] == '^' && at + 1 < text.size() && (text[at + 1] == '0' || text[at + 1] == '1')) {
      message += text[at + 1] == '0' ? param : param1;
      ++at;
    } else {
      message += text[at];
    }
  }
  return message;
}

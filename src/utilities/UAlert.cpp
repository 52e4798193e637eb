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

std::string UAlert::GetMessage(std::int16_t index, std::string_view param) {
  std::string message = UStringLists::GetIndString(STRx_Errors, index);
  const std::size_t at = message.find("^0");
  if (at != std::string::npos) message.replace(at, 2, param);
  return message;
}

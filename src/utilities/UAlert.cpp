#include "utilities/UAlert.h"

#include "framework/core/LString.h"
#include "framework/core/UModalAlerts.h"

bool UAlert::sIsAlerting = false;

bool UAlert::IsFrontProcess(bool bringToFront) {
  return UModalAlerts::GetPresenter().IsFrontProcess(bringToFront);
}

void UAlert::ErrorAlert(ConstStr255Param message) {
  sIsAlerting = true;
  try {
    bool wasInFront = IsFrontProcess(true);
    UModalAlerts::CautionAlert(ALRT_Caution, LString::ToStd(message));
    if (!wasInFront) UModalAlerts::GetPresenter().Resume();
  } catch (...) {
    // An alert must never take the caller down with it.
  }
  sIsAlerting = false;
}

void UAlert::ErrorAlert(ResIDT listID, std::int16_t index) {
  ErrorAlert(LStr255(listID, index));
}

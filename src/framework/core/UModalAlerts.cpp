#include "framework/core/UModalAlerts.h"

#include <cstdio>

namespace {

class CStandardErrorPresenter final : public LAlertPresenter {
 public:
  void CautionAlert(ResIDT, const std::string& message) override {
    std::fprintf(stderr, "%s\n", message.c_str());
  }
};

CStandardErrorPresenter sDefaultPresenter;
LAlertPresenter* sPresenter = nullptr;

}  // namespace

LAlertPresenter* UModalAlerts::SetPresenter(LAlertPresenter* presenter) {
  LAlertPresenter* previous = sPresenter;
  sPresenter = presenter;
  return previous;
}

LAlertPresenter& UModalAlerts::GetPresenter() {
  return sPresenter ? *sPresenter : sDefaultPresenter;
}

void UModalAlerts::CautionAlert(ResIDT alertID, const std::string& message) {
  GetPresenter().CautionAlert(alertID, message);
}

// An alert presenter for tests: records every alert instead of showing it, and tells which
// item of an error string list each alert showed. Install it for a scope with
// StAlertPresenter:
//   CRecordingAlertPresenter alerts;
//   StAlertPresenter installed(&alerts);
//   ...
//   EXPECT_EQ(alerts.ErrorIndices(), std::vector<int>{3});
#pragma once

#include "framework/core/LString.h"
#include "framework/core/UModalAlerts.h"
#include "utilities/UAlert.h"

#include <string>
#include <vector>

class CRecordingAlertPresenter : public LAlertPresenter {
 public:
  struct SAlert {
    ResIDT alertID;
    std::string message;
  };

  void CautionAlert(ResIDT alertID, const std::string& message) override {
    mAlerts.push_back({alertID, message});
  }

  const std::vector<SAlert>& Alerts() const { return mAlerts; }
  void Clear() { mAlerts.clear(); }

  // For each alert, the item of string list `listID` whose text it showed, after the name of
  // the file it concerns if any (0 when none matches).
  std::vector<int> ErrorIndices(ResIDT listID = STRx_Errors) const {
    std::vector<int> indices;
    for (const SAlert& alert : mAlerts) indices.push_back(FindItem(listID, alert.message));
    return indices;
  }

 private:
  static int FindItem(ResIDT listID, const std::string& message) {
    for (std::int16_t item = 1; item < 100; ++item) {
      const std::string text = LStr255(listID, item).Std();
      if (!text.empty() && (message == text || message.ends_with("\": " + text))) return item;
    }
    return 0;
  }

  std::vector<SAlert> mAlerts;
};

// A progress bar: shows its value within its range, or, when indeterminate, only that
// something is going on.
#pragma once

#include "framework/ui/LControl.h"

class QProgressBar;

class LProgressBar : public LControl {
 public:
  static constexpr ClassIDT class_ID = FourCC("pbar");

  // Reads "indeterminate" besides the control's fields.
  explicit LProgressBar(const LPaneData& data);
  LProgressBar(LView* superView, PaneIDT paneID, std::int32_t value, std::int32_t minValue,
               std::int32_t maxValue);

  void SetIndeterminateFlag(bool indeterminate);
  bool IsIndeterminate() const { return mIndeterminate; }
  QProgressBar* GetBar() const { return mBar; }

 protected:
  void ValueChanged() override;

 private:
  void Build();

  QProgressBar* mBar = nullptr;
  bool mIndeterminate = false;
};

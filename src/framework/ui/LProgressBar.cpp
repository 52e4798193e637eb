#include "framework/ui/LProgressBar.h"

#include <QProgressBar>

LProgressBar::LProgressBar(const LPaneData& data) : LControl(data) {
  mIndeterminate = data.GetBool("indeterminate", false);
  Build();
}

LProgressBar::LProgressBar(LView* superView, PaneIDT paneID, std::int32_t value,
                           std::int32_t minValue, std::int32_t maxValue)
    : LControl(superView, paneID, 0, value, minValue, maxValue) {
  Build();
}

void LProgressBar::Build() {
  mBar = new QProgressBar(this);
  mBar->setTextVisible(false);
  FillWith(mBar);
  ValueChanged();
}

void LProgressBar::SetIndeterminateFlag(bool indeterminate) {
  if (indeterminate == mIndeterminate) return;
  mIndeterminate = indeterminate;
  ValueChanged();
}

void LProgressBar::ValueChanged() {
  if (mIndeterminate) {
    mBar->setRange(0, 0);  // Qt's busy indicator
    return;
  }
  mBar->setRange(GetMinValue(), GetMaxValue());
  mBar->setValue(GetValue());
}

#include "framework/ui/LControl.h"

#include <algorithm>

LControl::LControl(const LPaneData& data) : LView(data) {
  mMinValue = data.GetInt("min", 0);
  mMaxValue = std::max(mMinValue, data.GetInt("max", mMinValue));
  mValue = std::clamp(data.GetInt("value", mMinValue), mMinValue, mMaxValue);
  mValueMessage = data.GetCode("message", 0);
}

LControl::LControl(LView* superView, PaneIDT paneID, MessageT valueMessage, std::int32_t value,
                   std::int32_t minValue, std::int32_t maxValue)
    : LView(superView, paneID),
      mValue(std::clamp(value, minValue, std::max(minValue, maxValue))),
      mMinValue(minValue),
      mMaxValue(std::max(minValue, maxValue)),
      mValueMessage(valueMessage) {}

void LControl::SetValue(std::int32_t value) {
  value = std::clamp(value, mMinValue, std::max(mMinValue, mMaxValue));
  if (value == mValue) return;
  mValue = value;
  ValueChanged();
  BroadcastValueMessage();
}

void LControl::SetMinValue(std::int32_t minValue) {
  mMinValue = minValue;
  ValueChanged();
  SetValue(mValue);
}

void LControl::SetMaxValue(std::int32_t maxValue) {
  mMaxValue = maxValue;
  ValueChanged();
  SetValue(mValue);
}

void LControl::SetRange(std::int32_t minValue, std::int32_t maxValue) {
  mMinValue = minValue;
  mMaxValue = maxValue;
  mValue = std::clamp(mValue, mMinValue, std::max(mMinValue, mMaxValue));
}

void LControl::BroadcastValueMessage() {
  if (mValueMessage == 0) return;
  TControlMessage(mValueMessage).Send(*this, mValue);
}

std::int32_t LControl::ValueOf(void* param) {
  return *ThrowIfNil(TControlMessage(0).Param(param));
}

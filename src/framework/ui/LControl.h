// A control: a pane with a 32-bit value in a range and a value message. Setting the value
// clamps it to the range; when it changes, the control broadcasts its value message (unless
// the message is 0) with a pointer to the new value. Controls are views, so that frames such
// as group boxes can hold panes.
#pragma once

#include "framework/core/LBroadcaster.h"
#include "framework/core/TMessage.h"
#include "framework/ui/LView.h"

#include <cstdint>

class LControl : public LView, public LBroadcaster {
 public:
  // Reads "value", "min", "max" and "message".
  explicit LControl(const LPaneData& data);
  LControl(LView* superView, PaneIDT paneID, MessageT valueMessage, std::int32_t value,
           std::int32_t minValue, std::int32_t maxValue);

  std::int32_t GetValue() const { return mValue; }
  virtual void SetValue(std::int32_t value);
  std::int32_t GetMinValue() const { return mMinValue; }
  // Also pulls the value into the new range (which broadcasts when it changes it).
  void SetMinValue(std::int32_t minValue);
  std::int32_t GetMaxValue() const { return mMaxValue; }
  void SetMaxValue(std::int32_t maxValue);

  MessageT GetValueMessage() const { return mValueMessage; }
  void SetValueMessage(MessageT message) { mValueMessage = message; }
  // The value a control's value message carries (its param); null throws 'nilP'.
  static std::int32_t ValueOf(void* param);

  bool AcceptsSubPanes() const override { return false; }

  // Acts as if the user had clicked the control (buttons broadcast their message).
  virtual void SimulateHotSpotClick() {}

 protected:
  // Shows the value and range in the Qt widget of the control.
  virtual void ValueChanged() {}
  // Broadcasts the value message with a pointer to the value.
  void BroadcastValueMessage();
  // Changes the range quietly: the value is pulled into it without a broadcast.
  void SetRange(std::int32_t minValue, std::int32_t maxValue);

 private:
  std::int32_t mValue = 0;
  std::int32_t mMinValue = 0;
  std::int32_t mMaxValue = 0;
  MessageT mValueMessage = 0;
};

// A numeric edit field tied to a value control (usually little arrows beside it): the control
// holds the value and its range, the field shows the value and lets the user type it. Typed
// values are clamped by the control at once, except a value below a positive minimum, which
// stays as typed for 48 ticks (0.8 s) so that "1" then "2" can make 12 in a field whose range
// starts at 10. When the field loses the focus it shows the control's value again (a text of
// "Touch", the display of a velocity of 0, is left alone).
//
// Created from layouts as class 'Sedt', with "linkedControl" (the pane ID of the control among
// the panes of the field's super view; without such a pane the field is a plain edit field)
// and "linkedMessage" (the value message the control broadcasts). Main thread only.
#pragma once

#include "framework/core/LListener.h"
#include "framework/ui/LEditText.h"

#include <cstdint>

class LControl;

class CSpinEditField : public LEditText, public LListener {
 public:
  static constexpr ClassIDT class_ID = FourCC("Sedt");
  static constexpr std::uint32_t kCorrectionDelayTicks = 48;
  static constexpr const char* kTouchText = "Touch";

  explicit CSpinEditField(const LPaneData& data);

  LControl* GetLinkedControl() const { return mLinkedControl; }
  bool IsCorrectionPending() const { return mCorrectionPending; }

  void ListenToMessage(MessageT message, void* param) override;
  void SpendTime(const EventRecord& event) override;

 protected:
  void FinishCreateSelf() override;
  void UserChangedText() override;
  void DontBeTarget() override;

 private:
  PaneIDT mLinkedPaneID;
  LControl* mLinkedControl = nullptr;
  MessageT mLinkedMessage;
  bool mCorrectionPending = false;
  std::uint32_t mCorrectionTime = 0;
};

#include "support/CSpinEditField.h"

#include "framework/core/TickCount.h"
#include "framework/ui/LControl.h"
#include "framework/ui/LView.h"

CSpinEditField::CSpinEditField(const LPaneData& data)
    : LEditText(data),
      mLinkedPaneID(data.GetCode("linkedControl", 0)),
      mLinkedMessage(data.GetCode("linkedMessage", 0)) {}

void CSpinEditField::FinishCreateSelf() {
  LEditText::FinishCreateSelf();
  LView* superView = GetSuperView();
  LPane* linked = superView != nullptr ? superView->FindPaneByID(mLinkedPaneID) : nullptr;
  mLinkedControl = dynamic_cast<LControl*>(linked);
  if (mLinkedControl == nullptr) return;
  mLinkedControl->AddListener(this);
  SetValue(mLinkedControl->GetValue());
}

void CSpinEditField::ListenToMessage(MessageT message, void* param) {
  if (message != mLinkedMessage || param == nullptr) return;
  mCorrectionPending = false;
  SetValue(LControl::ValueOf(param));
  // Arrows held down keep the event loop from drawing: show every value as it comes.
  UpdatePort();
}

void CSpinEditField::UserChangedText() {
  mCorrectionPending = false;
  if (mLinkedControl != nullptr) {
    const std::int32_t typed = GetValue();
    mLinkedControl->StopBroadcasting();
    mLinkedControl->SetValue(typed);
    mLinkedControl->StartBroadcasting();
    const std::int32_t held = mLinkedControl->GetValue();
    if (typed != held) {
      if (mLinkedControl->GetMinValue() > 0 && typed < mLinkedControl->GetMinValue()) {
        mCorrectionPending = true;
        mCorrectionTime = TickCount() + kCorrectionDelayTicks;
      } else {
        SetValue(held);
      }
    }
  }
  LEditText::UserChangedText();
}

void CSpinEditField::SpendTime(const EventRecord& event) {
  if (mCorrectionPending && mLinkedControl != nullptr && mCorrectionTime < TickCount()) {
    mCorrectionPending = false;
    if (mLinkedControl->GetValue() != GetValue()) SetValue(mLinkedControl->GetValue());
  }
  LEditText::SpendTime(event);
}

void CSpinEditField::DontBeTarget() {
  mCorrectionPending = false;
  if (mLinkedControl != nullptr) {
    const std::int32_t held = mLinkedControl->GetValue();
    const QString text = GetText();
    if (text != QLatin1String(kTouchText) && (text.isEmpty() || GetValue() != held)) SetValue(held);
  }
  LEditText::DontBeTarget();
}

#include "dialogs/assigndialog/CNoteNameCaption.h"

#include "framework/ui/LControl.h"
#include "framework/ui/LView.h"

namespace {

constexpr const char* kPitchNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::int32_t kLowestOctave = -2;  // note 0 is C-2, so 60 is C3

}  // namespace

CNoteNameCaption::CNoteNameCaption(const LPaneData& data)
    : LStaticText(data), mLinkedPaneID(data.GetCode("linkedControl", 0)) {}

QString CNoteNameCaption::NoteName(std::int32_t note) {
  if (note < 0 || note > 127) return {};
  return QString::fromLatin1(kPitchNames[note % 12]) + QString::number(note / 12 + kLowestOctave);
}

void CNoteNameCaption::FinishCreateSelf() {
  LStaticText::FinishCreateSelf();
  LView* superView = GetSuperView();
  mLinkedControl = ThrowIfNil(
      dynamic_cast<LControl*>(superView != nullptr ? superView->FindPaneByID(mLinkedPaneID) : nullptr));
  mLinkedControl->AddListener(this);
  SetDescriptorText(NoteName(mLinkedControl->GetValue()));
}

void CNoteNameCaption::ListenToMessage(MessageT, void*) {
  SetDescriptorText(NoteName(mLinkedControl->GetValue()));
}

#include "dialogs/assigndialog/CPortSettingPanel.h"

#include "dialogs/assigndialog/AssignDialogMessages.h"
#include "framework/ui/LCheckBox.h"
#include "framework/ui/LPopupButton.h"

namespace {

constexpr std::uint32_t kLastKnobOrSlider = 17;  // R1..S9

}  // namespace

CPortSettingPanel::CPortSettingPanel(const LPaneData& data) : CBasePanel(data) {}

bool CPortSettingPanel::IsPortless(long msgType) {
  switch (msgType) {
    case msgType_NoAssign:
    case msgType_PC:
    case msgType_FixedPC:
    case msgType_CurPC:
    case msgType_Tempo:
      return true;
    default:
      return false;
  }
}

bool CPortSettingPanel::UsesCClick(long msgType) {
  switch (msgType) {
    case msgType_CC:
    case msgType_RPN:
    case msgType_NRPN:
    case msgType_Sysx:
      return true;
    default:
      return false;
  }
}

void CPortSettingPanel::AdaptPortControls(long msgType) {
  GetControl<LPopupButton>(kPortPopup)->setEnabled(!IsPortless(msgType));
  const bool knobOrSlider = static_cast<std::uint32_t>(mParamIndex) <= kLastKnobOrSlider;
  GetControl<LCheckBox>(kCClickBox)->setVisible(knobOrSlider && UsesCClick(msgType));
}

void CPortSettingPanel::SetPanelParam(const SPatchParam* record) {
  GetControl<LPopupButton>(kPortPopup)->SetValue(record->outputPort + 1);
  GetControl<LCheckBox>(kCClickBox)->SetValue((record->options & kOptionCClick) != 0 ? 1 : 0);
  AdaptPortControls(record->msgType);
}

bool CPortSettingPanel::GetPanelParam(SPatchParam& out) {
  out.outputPort = static_cast<std::uint8_t>(GetControl<LPopupButton>(kPortPopup)->GetValue() - 1);
  if (GetControl<LCheckBox>(kCClickBox)->GetValue() != 0)
    out.options |= kOptionCClick;
  else
    out.options &= static_cast<std::uint8_t>(~kOptionCClick);
  return true;
}

void CPortSettingPanel::InitPanelParam() { GetControl<LPopupButton>(kPortPopup)->SetValue(1); }

void CPortSettingPanel::HandleParamChanged(MessageT message, const void* param) {
  if (message != msg_AssignMsgKind) return;
  if (const std::int32_t* msgType = msg_AssignMsgKind.Param(param)) AdaptPortControls(*msgType);
}

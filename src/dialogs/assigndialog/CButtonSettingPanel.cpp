#include "dialogs/assigndialog/CButtonSettingPanel.h"

#include "dialogs/assigndialog/AssignDialogMessages.h"
#include "framework/ui/LPopupButton.h"

namespace {

const QString kIncreaseText = QStringLiteral("Increase");

}  // namespace

CButtonSettingPanel::CButtonSettingPanel(const LPaneData& data) : CPortSettingPanel(data) {}

bool CButtonSettingPanel::IsModeless(long msgType) {
  switch (msgType) {
    case msgType_NoAssign:
    case msgType_Enc:
    case msgType_PC:
    case msgType_BankPC:
    case msgType_FixedPC:
    case msgType_FixedBankPC:
    case msgType_CurPC:
    case msgType_Realtime:
      return true;
    default:
      return false;
  }
}

bool CButtonSettingPanel::HasButtonMode(long index) {
  return (index >= 18 && index <= 38) || (index >= 41 && index <= 45);
}

bool CButtonSettingPanel::IsPad(long index) { return index >= 18 && index <= 35; }

void CButtonSettingPanel::AdaptModeItems(long msgType, bool keepChoice) {
  auto* mode = GetControl<LPopupButton>(kModePopup);
  if (IsModeless(msgType)) {
    mode->setEnabled(false);
    return;
  }
  const std::int16_t items = mode->GetMenuItemCount();
  const bool increaseChosen = mode->GetValue() == kIncreaseItem;
  if (msgType == msgType_Note && items == kIncreaseItem && !(keepChoice && increaseChosen)) {
    // A shown note that stores "Increase" keeps the item, so that its mode survives an apply.
    if (increaseChosen) mode->SetValue(1);
    mode->DeleteMenuItem(kIncreaseItem);
  } else if (msgType != msgType_Note && items == kIncreaseItem - 1) {
    mode->InsertMenuItem(kIncreaseText, kIncreaseItem - 1);
  }
  mode->setEnabled(true);
}

void CButtonSettingPanel::AdaptAftPopup(long msgType) {
  GetControl<LPopupButton>(kAftPopup)->setVisible(msgType == msgType_Note &&
                                                  IsPad(GetParamIndex()));
}

void CButtonSettingPanel::SetPanelParam(const SPatchParam* record) {
  CPortSettingPanel::SetPanelParam(record);
  auto* mode = GetControl<LPopupButton>(kModePopup);
  // The mode comes before the items are adapted, so that a stored "Increase" survives.
  if ((record->options & kOptionButtonModeMask) + 1 == kIncreaseItem &&
      mode->GetMenuItemCount() < kIncreaseItem)
    mode->InsertMenuItem(kIncreaseText, kIncreaseItem - 1);
  mode->SetValue((record->options & kOptionButtonModeMask) + 1);
  GetControl<LPopupButton>(kAftPopup)->SetValue(record->data[2] + 1);
  if (HasButtonMode(GetParamIndex())) {
    mode->setVisible(true);
    AdaptModeItems(record->msgType, true);
  } else {
    mode->setVisible(false);
  }
  AdaptAftPopup(record->msgType);
}

bool CButtonSettingPanel::GetPanelParam(SPatchParam& out) {
  if (!CPortSettingPanel::GetPanelParam(out)) return false;
  const auto mode = static_cast<std::uint8_t>(
      (GetControl<LPopupButton>(kModePopup)->GetValue() - 1) & kOptionButtonModeMask);
  out.options = static_cast<std::uint8_t>((out.options & ~kOptionButtonModeMask) | mode);
  auto* aft = GetControl<LPopupButton>(kAftPopup);
  if (!aft->isHidden()) out.data[2] = static_cast<std::uint8_t>(aft->GetValue() - 1);
  return true;
}

void CButtonSettingPanel::InitPanelParam() {
  CPortSettingPanel::InitPanelParam();
  GetControl<LPopupButton>(kModePopup)->SetValue(1);
}

void CButtonSettingPanel::HandleParamChanged(MessageT message, const void* param) {
  CPortSettingPanel::HandleParamChanged(message, param);
  if (message != msg_AssignMsgKind) return;
  const std::int32_t* msgType = msg_AssignMsgKind.Param(param);
  if (msgType == nullptr) return;
  if (HasButtonMode(GetParamIndex()))
    AdaptModeItems(*msgType, false);
  else
    GetControl<LPopupButton>(kModePopup)->setVisible(false);
  AdaptAftPopup(*msgType);
}

#include "dialogs/assigndialog/CChannelMsgPanel.h"

#include "dialogs/assigndialog/AssignDialogMessages.h"
#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "framework/core/StStopBroadcasting.h"
#include "framework/ui/LMultiPanelView.h"
#include "framework/ui/LPopupButton.h"

CChannelMsgPanel::CChannelMsgPanel(const LPaneData& data) : CAssignPanel(data) {}

void CChannelMsgPanel::FinishCreateSelf() {
  CAssignPanel::FinishCreateSelf();
  mChannelMsgView = GetControl<LMultiPanelView>(kSubPanels);
  GetControl<LPopupButton>(kKindPopup)->AddListener(this);
}

std::int16_t CChannelMsgPanel::SubPanelOf(const SPatchParam& record) {
  switch (record.msgType) {
    case 1: case 2: return 1;
    case 3: case 4: return 2;
    case 5: case 6: return 3;
    case 7: case 8: return 4;
    case msgType_Enc: return 12;
    case msgType_PC: return 6;
    case msgType_FixedPC: return 5;
    case msgType_FixedBankPC: return 7;
    case msgType_CurPC: return record.data[0] == 1 ? 8 : 9;
    case 15: case 16: return 10;
    case 17: case 18: return 11;
    default: return kKeptRecordPanel;
  }
}

CBasePanel* CChannelMsgPanel::MakeSubPanel(std::int16_t subPanel) {
  auto* panel = dynamic_cast<CBasePanel*>(mChannelMsgView->CreatePanel(subPanel));
  ThrowIfNot(panel != nullptr, "a channel sub-panel is no panel of the assign dialog");
  return panel;
}

CBasePanel* CChannelMsgPanel::CurrentSubPanel() const {
  return dynamic_cast<CBasePanel*>(mChannelMsgView->GetCurrentPanel());
}

long CChannelMsgPanel::GetMsgType() const {
  const auto* shown = dynamic_cast<const CAssignPanel*>(CurrentSubPanel());
  return shown != nullptr ? shown->GetMsgType() : long{msgType_NoAssign};
}

void CChannelMsgPanel::SetPanelParam(const SPatchParam* record) {
  const std::int16_t subPanel = SubPanelOf(*record);
  auto* popup = GetControl<LPopupButton>(kKindPopup);
  {
    StStopBroadcasting quiet(*popup);
    popup->SetValue(subPanel);
  }
  MakeSubPanel(subPanel)->SetPanelParam(record);
  mChannelMsgView->SwitchToPanel(subPanel);
}

bool CChannelMsgPanel::GetPanelParam(SPatchParam& out) {
  CBasePanel* shown = CurrentSubPanel();
  return shown == nullptr || shown->GetPanelParam(out);
}

void CChannelMsgPanel::InitPanelParam() {
  if (CBasePanel* shown = CurrentSubPanel()) shown->InitPanelParam();
}

void CChannelMsgPanel::ListenToMessage(MessageT message, void* param) {
  if (message != msg_ChannelMsgKind) return;
  if (const std::int32_t* subPanel = msg_ChannelMsgKind.Param(param))
    SwitchSubPanel(static_cast<std::int16_t>(*subPanel));
}

void CChannelMsgPanel::SwitchSubPanel(std::int16_t subPanel) {
  MakeSubPanel(subPanel)->InitPanelParam();
  mChannelMsgView->SwitchToPanel(subPanel);
  CBasePanel* settings = GetDialog()->GetSettingsPanel();
  if (settings == nullptr) return;
  std::int32_t msgType = static_cast<std::int32_t>(GetMsgType());
  settings->HandleParamChanged(msg_AssignMsgKind, &msgType);
}

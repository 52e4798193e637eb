#include "dialogs/assigndialog/CAssignPanel.h"

CAssignPanel::CAssignPanel(const LPaneData& data) : CBasePanel(data) {}

bool CAssignPanel::GetPanelParam(SPatchParam& out) {
  out.msgType = static_cast<std::uint8_t>(GetMsgType());
  return true;
}

long CAssignPanel::GetMsgType() const { return msgType_NoAssign; }

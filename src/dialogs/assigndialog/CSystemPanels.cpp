#include "dialogs/assigndialog/CSystemPanels.h"

#include "framework/ui/LPopupButton.h"
#include "utilities/UStringUtils.h"

CSystemRealtimePanel::CSystemRealtimePanel(const LPaneData& data) : CAssignPanel(data) {}

std::uint8_t CSystemRealtimePanel::StatusOf(const LPopupButton& popup, std::int16_t item) {
  const QString text = popup.GetMenuItemText(item);
  if (text.size() < 2) return 0;
  const auto digit = [&text](int i) {
    return UStringUtils::HexCharToNum(static_cast<char>(text.at(i).toLatin1()));
  };
  return static_cast<std::uint8_t>((digit(0) << 4) | digit(1));
}

bool CSystemRealtimePanel::SelectStatus(std::uint8_t status) {
  auto* popup = GetControl<LPopupButton>(kMessagePopup);
  for (std::int16_t item = 1; item <= popup->GetMaxValue(); ++item) {
    if (StatusOf(*popup, item) != status) continue;
    popup->SetValue(item);
    return true;
  }
  return false;
}

void CSystemRealtimePanel::SetPanelParam(const SPatchParam* record) { SelectStatus(record->data[0]); }

bool CSystemRealtimePanel::GetPanelParam(SPatchParam& out) {
  auto* popup = GetControl<LPopupButton>(kMessagePopup);
  out.msgType = msgType_Realtime;
  out.data[0] = StatusOf(*popup, static_cast<std::int16_t>(popup->GetValue()));
  return true;
}

void CSystemRealtimePanel::InitPanelParam() { SelectStatus(kDefaultStatus); }

CTempoPanel::CTempoPanel(const LPaneData& data) : CAssignPanel(data) {}

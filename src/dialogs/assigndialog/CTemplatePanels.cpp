#include "dialogs/assigndialog/CTemplatePanels.h"

#include "dialogs/assigndialog/AssignDialogMessages.h"
#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "framework/ui/LControl.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/LPopupButton.h"
#include "support/UCustomKeyFilters.h"
#include "utilities/CMidiChk.h"
#include "utilities/UAlert.h"
#include "utilities/UMessageTemplate.h"

#include <cstring>

namespace {

// The payload of `record` read as (and written back from) a template record.
template <class TPayload>
TPayload PayloadOf(const SPatchParam& record) {
  static_assert(sizeof(TPayload) <= kParamDataSize);
  TPayload payload;
  std::memcpy(&payload, record.data, sizeof payload);
  return payload;
}

template <class TPayload>
void StorePayload(const TPayload& payload, SPatchParam& record) {
  std::memcpy(record.data, &payload, sizeof payload);
}

constexpr std::int32_t kNibbleFormat = 2;     // "d1 d2": two 4-bit values
constexpr std::int32_t kFourByteFormat = 5;   // "d1 d2 d3 d4": a full byte

}  // namespace

CTemplatePanel::CTemplatePanel(const LPaneData& data) : CAssignPanel(data) {}

void CTemplatePanel::FinishCreateSelf() {
  CAssignPanel::FinishCreateSelf();
  GetControl<LPopupButton>(kFormatPopup)->AddListener(this);
  GetControl<LEditText>(kTextField)->SetKeyFilter(&UCustomKeyFilters::ASCIICharField);
}

std::int32_t CTemplatePanel::MaxValueOf(std::int32_t dataType) {
  if (dataType == kNibbleFormat) return 15;
  if (dataType == kFourByteFormat) return 255;
  return 127;
}

void CTemplatePanel::ListenToMessage(MessageT message, void* param) {
  if (message != msg_DataFormat) return;
  const std::int32_t* format = msg_DataFormat.Param(param);
  if (format == nullptr) return;
  for (PaneIDT pane : {kMinControl, kMaxControl}) {
    auto* control = GetControl<LControl>(pane);
    control->SetMinValue(0);
    control->SetMaxValue(MaxValueOf(*format));
  }
}

void CTemplatePanel::SetPanelParam(const SPatchParam* record) {
  const SPrmPatCtrlSysExDataInfo info = PayloadOf<SPrmPatCtrlSysExDataInfo>(*record);
  // The format first: it sets the range the two values must fit.
  GetControl<LPopupButton>(kFormatPopup)->SetValue(info.dataType == 0 ? 1 : info.dataType);
  Str255 text;
  PrintText(*record, text);
  GetControl<LEditText>(kTextField)->SetDescriptor(text);
  GetControl<LControl>(kMinControl)->SetValue(info.minValue);
  GetControl<LControl>(kMaxControl)->SetValue(info.maxValue);
}

void CTemplatePanel::InitPanelParam() {
  GetControl<LPopupButton>(kFormatPopup)->SetValue(1);
  GetControl<LEditText>(kTextField)->SetText(QString::fromLatin1(InitialText()));
  GetControl<LControl>(kMinControl)->SetValue(0);
  GetControl<LControl>(kMaxControl)->SetValue(127);
}

bool CTemplatePanel::GetPanelParam(SPatchParam& out) {
  out.msgType = static_cast<std::uint8_t>(GetMsgType());
  out.isEncoder = 0;
  out.options = 0;  // the settings panel writes them next
  SPrmPatCtrlSysExDataInfo info = PayloadOf<SPrmPatCtrlSysExDataInfo>(out);
  info.dataType = static_cast<std::uint8_t>(GetControl<LPopupButton>(kFormatPopup)->GetValue());
  info.minValue = static_cast<std::uint8_t>(GetControl<LControl>(kMinControl)->GetValue());
  info.maxValue = static_cast<std::uint8_t>(GetControl<LControl>(kMaxControl)->GetValue());
  StorePayload(info, out);

  Str255 text;
  GetControl<LEditText>(kTextField)->GetDescriptor(text);
  const std::uint8_t* message = nullptr;
  const short length = CompileText(text, out, message);
  if (length > 0 && CMidiChk::CheckFull(message, length)) return true;
  Refuse();
  return false;
}

void CTemplatePanel::Refuse() {
  LCommander::SwitchTarget(GetControl<LEditText>(kTextField));
  GetDialog()->Select();
  UAlert::ErrorAlert(STRx_Errors, err_InvalidMessage);
}

// --- text and payload

template <class TPayload>
short TTemplatePanel<TPayload>::CompileText(ConstStr255Param text, SPatchParam& out,
                                           const std::uint8_t*& message) {
  TPayload payload = PayloadOf<TPayload>(out);
  const short length = Compile(text, payload);
  StorePayload(payload, out);
  message = out.data + offsetof(TPayload, msg);
  return length;
}

template <class TPayload>
void TTemplatePanel<TPayload>::PrintText(const SPatchParam& record, Str255 out) const {
  Print(PayloadOf<TPayload>(record), out);
}

template class TTemplatePanel<SPrmPatCtrlSysEx>;
template class TTemplatePanel<SPrmPatCtrlSysExFree>;

// --- SysEx

CSysxPanel::CSysxPanel(const LPaneData& data) : TTemplatePanel(data) {}

short CSysxPanel::CompileSysxStr(ConstStr255Param text, SPrmPatCtrlSysEx& out) {
  return UMessageTemplate::CompileSysxStr(text, out);
}

void CSysxPanel::MakeSysxStr(const SPrmPatCtrlSysEx& payload, Str255 out, bool listForm) {
  UMessageTemplate::MakeSysxStr(payload, out, listForm);
}

// --- free messages

CFreeMsgPanel::CFreeMsgPanel(const LPaneData& data) : TTemplatePanel(data) {}

short CFreeMsgPanel::CompileMsgStr(ConstStr255Param text, SPrmPatCtrlSysExFree& out) {
  return UMessageTemplate::CompileMsgStr(text, out);
}

void CFreeMsgPanel::MakeMsgStr(const SPrmPatCtrlSysExFree& payload, Str255 out, bool listForm) {
  UMessageTemplate::MakeMsgStr(payload, out, listForm);
}

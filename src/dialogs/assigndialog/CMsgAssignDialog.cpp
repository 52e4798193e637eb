#include "dialogs/assigndialog/CMsgAssignDialog.h"

#include "dialogs/assigndialog/AssignDialogMessages.h"
#include "dialogs/assigndialog/CAssignPanel.h"
#include "document/CPatch.h"
#include "document/CPatchHistory.h"
#include "framework/core/LString.h"
#include "framework/core/StDialogHandler.h"
#include "framework/core/StStopBroadcasting.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/LMultiPanelView.h"
#include "framework/ui/LPopupGroupBox.h"
#include "framework/ui/UDesktop.h"
#include "framework/ui/UKeyboard.h"
#include "framework/ui/UQtText.h"
#include "support/UCustomKeyFilters.h"

namespace {

// The undo step of an apply ("Undo Apply Assignment").
constexpr const char* kApplyStep = "Apply Assignment";

}  // namespace

CMsgAssignDialog::CMsgAssignDialog(const LPaneData& data) : LDialogBox(data) {}

CMsgAssignDialog::~CMsgAssignDialog() = default;

void CMsgAssignDialog::FinishCreateSelf() {
  LDialogBox::FinishCreateSelf();
  mAssignMsgView = ThrowIfNil(FindPaneByID<LMultiPanelView>(kMessagePanels));
  mSettingsView = ThrowIfNil(FindPaneByID<LMultiPanelView>(kSettingsPanels));
  ThrowIfNil(FindPaneByID<LPopupButton>(kMessageKindPopup))->AddListener(this);
  ThrowIfNil(FindPaneByID<LEditText>(kNameField))->SetKeyFilter(&UCustomKeyFilters::ASCIICharField);
}

void CMsgAssignDialog::SetPatch(CPatch* patch) {
  ThrowIfNot(patch != nullptr, "the assign dialog needs a patch");
  if (mPatch != nullptr) mPatch->RemoveListener(this);
  mPatch = patch;
  mPatch->AddListener(this);
}

void CMsgAssignDialog::SetParamIndex(long index) {
  ThrowIfNot(mPatch != nullptr, "the assign dialog needs a patch");
  mParamIndex = index;
  SetDialogParam(mPatch->GetParam(index));
}

long CMsgAssignDialog::GetControllerType() const {
  return mPatch != nullptr ? mPatch->GetControllerType(mParamIndex) : 1;
}

// --- showing

void CMsgAssignDialog::SetDialogParam(const SPatchParam* record) {
  ThrowIfNot(mPatch != nullptr, "the assign dialog needs a patch");
  mDialogParam = *ThrowIfNil(record);
  ShowRecord(mDialogParam, true);
}

void CMsgAssignDialog::UpdateDialogParam() {
  if (mParamIndex == -1) return;
  mPatch->GetParam(mParamIndex, mDialogParam);
  ShowRecord(mDialogParam, false);
}

void CMsgAssignDialog::ShowRecord(const SPatchParam& record, bool newController) {
  const auto type = static_cast<std::int16_t>(GetControllerType());
  auto* settings = dynamic_cast<CBasePanel*>(mSettingsView->CreatePanel(type));
  ThrowIfNot(settings != nullptr, "a settings panel is no panel of the assign dialog");
  if (newController) settings->SetParamIndex(mParamIndex);
  settings->SetPanelParam(&record);
  mSettingsView->SwitchToPanel(type);

  SetAssignMessageType(record.msgType, &record);

  ThrowIfNil(FindPaneByID(kDescriptorPane))
      ->SetDescriptor(mPatch->GetControllerDescriptor(mParamIndex));
  ThrowIfNil(FindPaneByID(kNameField))->SetDescriptor(record.name);
  ShowTitle(record);
  Refresh();
}

void CMsgAssignDialog::ShowTitle(const SPatchParam& record) {
  QString title = UQtText::FromPStr(mPatch->GetControllerDescriptor(mParamIndex));
  if (record.name[0] != 0) title += QStringLiteral(" \u2013 ") + UQtText::FromPStr(record.name);
  setWindowTitle(title);
}

std::int16_t CMsgAssignDialog::MessagePanelOf(long msgType) {
  if (msgType >= 1 && msgType <= 18) return panel_Channel;
  switch (msgType) {
    case msgType_Realtime:
      return panel_Realtime;
    case msgType_Sysx:
    case msgType_Sysx + 1:
      return panel_Sysx;
    case msgType_Free:
    case msgType_Free + 1:
      return panel_Free;
    case msgType_Tempo:
      return panel_Tempo;
    default:
      return panel_NoAssign;
  }
}

void CMsgAssignDialog::SetAssignMessageType(long msgType, const SPatchParam* record) {
  ThrowIfNot(mPatch != nullptr, "the assign dialog needs a patch");
  const std::int16_t panel = MessagePanelOf(msgType);
  auto* popup = ThrowIfNil(FindPaneByID<LPopupButton>(kMessageKindPopup));
  {
    // Showing a record is no choice of the user's: no 'Amsg', no defaults.
    StStopBroadcasting quiet(*popup);
    popup->SetValue(panel);
  }
  auto* shown = dynamic_cast<CBasePanel*>(mAssignMsgView->CreatePanel(panel));
  ThrowIfNot(shown != nullptr, "a message panel is no panel of the assign dialog");
  shown->SetPanelParam(record);
  mAssignMsgView->SwitchToPanel(panel);
}

CAssignPanel* CMsgAssignDialog::GetAssignMsgPanel() const {
  LView* current = mAssignMsgView->GetCurrentPanel();
  if (current == nullptr) return nullptr;
  auto* panel = dynamic_cast<CAssignPanel*>(current);
  ThrowIfNot(panel != nullptr, "a message panel is no assign panel");
  return panel;
}

CBasePanel* CMsgAssignDialog::GetSettingsPanel() const {
  LView* current = mSettingsView->GetCurrentPanel();
  if (current == nullptr) return nullptr;
  auto* panel = dynamic_cast<CBasePanel*>(current);
  ThrowIfNot(panel != nullptr, "a settings panel is no panel of the assign dialog");
  return panel;
}

// --- the user picks another kind of message

void CMsgAssignDialog::SwitchMessagePanel(std::int16_t panel) {
  auto* chosen = dynamic_cast<CAssignPanel*>(mAssignMsgView->CreatePanel(panel));
  ThrowIfNot(chosen != nullptr, "a message panel is no assign panel");
  chosen->InitPanelParam();
  mAssignMsgView->SwitchToPanel(panel);
  std::int32_t msgType = static_cast<std::int32_t>(chosen->GetMsgType());
  if (CBasePanel* settings = GetSettingsPanel()) {
    settings->SetParamIndex(mParamIndex);
    settings->HandleParamChanged(msg_AssignMsgKind, &msgType);
  }
}

// --- collecting and applying

bool CMsgAssignDialog::GetDialogParam(SPatchParam& out) {
  if (mParamIndex == -1) return true;
  out = mDialogParam;
  Str255 name;
  ThrowIfNil(FindPaneByID(kNameField))->GetDescriptor(name);
  LString::CopyPStr(name, out.name, sizeof out.name);
  if (CAssignPanel* message = GetAssignMsgPanel(); message != nullptr && !message->GetPanelParam(out))
    return false;
  CBasePanel* settings = GetSettingsPanel();
  return settings == nullptr || settings->GetPanelParam(out);
}

bool CMsgAssignDialog::ApplyDialogParam() {
  if (mParamIndex == -1) return true;
  SPatchParam record;
  if (!GetDialogParam(record)) return false;
  ThrowIfNot(mPatch != nullptr, "the assign dialog needs a patch");
  mDialogParam = record;
  StPatchStep step(&mPatch->GetHistory(), kApplyStep);
  mPatch->SetParam(mParamIndex, &record);
  ShowTitle(record);
  return true;
}

// --- keys and messages

bool CMsgAssignDialog::KeepsMenuKey(const EventRecord& event) const {
  // Ctrl-W applies before it closes, and Ctrl-M minimises: the dialog's own, not the menus'.
  const std::uint16_t key = UKeyboard::CharCode(event);
  return (event.modifiers & cmdKey) != 0 && (key == 'w' || key == 'W' || key == 'm' || key == 'M');
}

bool CMsgAssignDialog::HandleKeyPress(const EventRecord& event) {
  if (UDesktop::WindowIsSelected(this)) {
    switch (UKeyboard::CharCode(event)) {
      case 'M':
      case 'm':
        Collapse(true);
        return true;
      case 'W':
      case 'w':
        if (ApplyDialogParam()) AttemptClose();
        return true;
      default:
        break;
    }
  }
  return LDialogBox::HandleKeyPress(event);
}

void CMsgAssignDialog::ListenToMessage(MessageT message, void* param) {
  switch (message) {
    case msg_OK:
      if (ApplyDialogParam()) AttemptClose();
      return;
    case msg_Cancel:
      AttemptClose();
      return;
    case msg_AssignMsgKind:
      if (const std::int32_t* panel = msg_AssignMsgKind.Param(param))
        SwitchMessagePanel(static_cast<std::int16_t>(*panel));
      return;
    case msg_ParamLoaded:
    case msg_ParamReceived:
      // Both carry the index of the controller that changed.
      if (const std::int32_t* index = msg_ParamLoaded.Param(param); index != nullptr && *index == mParamIndex)
        UpdateDialogParam();
      return;
    case msg_PatchInit:
      UpdateDialogParam();
      return;
    default:
      LDialogBox::ListenToMessage(message, param);
  }
}

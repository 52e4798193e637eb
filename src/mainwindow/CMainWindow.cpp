#include "mainwindow/CMainWindow.h"

#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "document/CPatch.h"
#include "document/CPatchHistory.h"
#include "document/UControllerSummary.h"
#include "framework/core/LString.h"
#include "framework/core/StDialogHandler.h"
#include "framework/core/StValueChanger.h"
#include "framework/ui/LControl.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/LQtDialogHost.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UDesktop.h"
#include "framework/ui/UKeyboard.h"
#include "framework/ui/UReanimator.h"
#include "framework/ui/UScrap.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/MainWindowCommands.h"
#include "mainwindow/UControllerMenu.h"
#include "midi/CMidiOperation.h"
#include "support/UCustomKeyFilters.h"
#include "utilities/UAlert.h"
#include "utilities/UPreference.h"

#include <QLineEdit>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr long kMidiPort = 0;
// Names of the undo steps of the window's actions ("Undo Typing").
constexpr const char* kTypingStep = "Typing";
constexpr const char* kRequestStep = "Request from KVX";
constexpr const char* kPrefsTag = "General Settings";
constexpr const char* kVerifyParam = "Verify After Sending";
constexpr std::int32_t kPatchParamSize = static_cast<std::int32_t>(sizeof(SPatchParam));

// The current MIDI service, when it can be used with the ports a transfer needs.
bool MidiServiceReady(bool needInput) {
  CMidiOperation* service = CMidiOperation::GetCurrent();
  if (service == nullptr || !service->IsUsable()) return false;
  return needInput ? service->ValidPort(kMidiPort, kMidiPort) : service->ValidOutport(kMidiPort);
}

}  // namespace

CMainWindow::CMainWindow(const LPaneData& data) : LWindow(data), LDragAndDrop(this) {}

CMainWindow::~CMainWindow() {
  // The dialog listens to the patch and talks to this window: it goes first.
  delete mAssignDialog.data();
}

void CMainWindow::FinishCreateSelf() {
  UReanimator::LinkListenerToControls(this, this, kControlListID);

  mTitleField = ThrowIfNil(FindPaneByID<LEditText>(kTitleFieldID));
  mTitleField->SetValueMessage(msg_TitleChanged);
  mTitleField->SetKeyFilter(&UCustomKeyFilters::ASCIICharField);
  mTitleField->AddListener(this);
  // Files dropped on the field are for the window, not text to insert.
  mTitleField->GetLineEdit()->setAcceptDrops(false);

  mStatusLine = ThrowIfNil(FindPaneByID(kStatusLineID));
  mSelectionLine = ThrowIfNil(FindPaneByID(kSelectionLineID));
  mPicture = ThrowIfNil(FindPaneByID<CMainPicture>(kPictureID));
  mPicture->SetClickedMessage(msg_ControllerClicked);
  mPicture->AddListener(this);
  ShowSelection();
}

void CMainWindow::SetPatch(CPatch* patch) {
  ThrowIfNil(patch);
  if (mPatch != nullptr) mPatch->RemoveListener(this);
  mPatch = patch;
  mPatch->AddListener(this);
  if (mAssignDialog != nullptr) mAssignDialog->SetPatch(mPatch);
  mPicture->SetPatch(mPatch);
  SetTitleField(mPatch->PatchTitle());
  ShowSelection();
}

// --- messages

void CMainWindow::ListenToMessage(MessageT message, void* param) {
  switch (message) {
    case msg_ControllerClicked:
      if (param == nullptr) break;
      OpenAssignDialog(*msg_ControllerClicked.Param(param));
      mClickHandled = true;
      break;
    case msg_ControllerStepped:
      if (param != nullptr) SelectController(*msg_ControllerStepped.Param(param));
      break;
    case msg_ControllerMenuRequested:
      if (param != nullptr) ShowControllerMenu(*msg_ControllerMenuRequested.Param(param));
      break;
    case msg_PatchChanged:
    case msg_ParamLoaded:
    case msg_ParamReceived:
      ShowSelection();
      break;
    case msg_TitleChanged: {
      if (mPatch == nullptr) break;
      Str255 title;
      msg_TitleChanged.Param(param)->GetDescriptor(title);
      StPatchStep typing(&mPatch->GetHistory(), kTypingStep, true);
      mPatch->SetPatchTitle(title);
      break;
    }
    case msg_PatchInit:
      if (mAssignDialog != nullptr) mAssignDialog->UpdateDialogParam();
      SetTitleField(nullptr);
      ShowSelection();
      break;
    case msg_TitleLoaded:
      SetTitleField(msg_TitleLoaded.Param(param));
      break;
    default:
      break;
  }
}

void CMainWindow::SetTitleField(ConstStr255Param title) {
  const LStr255 text = title != nullptr ? LStr255(title) : LStr255();
  // Setting the text is no edit of the user's: no 'Tchg', the patch stays unmodified.
  mTitleField->StopBroadcasting();
  mTitleField->SetDescriptor(text);
  mTitleField->StartBroadcasting();
}

void CMainWindow::OpenAssignDialog(long index) {
  if (mPatch == nullptr) return;
  if (mAssignDialog == nullptr) {
    mAssignDialog = UReanimator::CreateView<CMsgAssignDialog>(CMsgAssignDialog::kLayoutID,
                                                             nullptr, this);
    mAssignDialog->SetPatch(mPatch);
  }
  if (SelectController(index)) mAssignDialog->Select();
}

bool CMainWindow::SelectController(long index) {
  if (mAssignDialog != nullptr && mAssignDialog->GetParamIndex() != index) {
    if (!mAssignDialog->ApplyDialogParam()) return false;
    mAssignDialog->SetParamIndex(index);
  }
  mPicture->SetHiliteArea(index);
  ShowSelection();
  return true;
}

void CMainWindow::ShowSelection() {
  if (mSelectionLine == nullptr) return;
  if (mPatch == nullptr || !mPicture->HasHiliteArea()) {
    mSelectionLine->SetDescriptorText(QStringLiteral("No controller selected"));
    return;
  }
  const std::string summary = UControllerSummary::Describe(*mPatch, mPicture->GetHiliteArea());
  mSelectionLine->SetDescriptorText(QString::fromStdString(summary));
}

QString CMainWindow::GetSelectionText() const { return mSelectionLine->GetDescriptorText(); }

void CMainWindow::ShowControllerMenu(const SControllerMenuRequest& request) {
  if (mPatch == nullptr || !SelectController(request.index)) return;
  // Shown without waiting for it; it goes when it closes.
  QMenu* menu = UControllerMenu::Make(*this, this).release();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(request.globalPosition);
}

CMsgAssignDialog* CMainWindow::GetAssignDialog() const { return mAssignDialog.data(); }

bool CMainWindow::AllowSubRemoval(LCommander* sub) {
  if (mAssignDialog != nullptr && sub == static_cast<LCommander*>(mAssignDialog.data()))
    mAssignDialog = nullptr;
  return LWindow::AllowSubRemoval(sub);
}

// --- commands

bool CMainWindow::ObeyCommand(CommandT command, void* param) {
  StValueChanger<bool> busy(mBusy, true);
  ShowStatus(QString());
  switch (command) {
    case cmd_CopyPatchParam:
      CopyPatchParam();
      return true;
    case cmd_PastePatchParam:
      PastePatchParam();
      return true;
    case cmd_DeletePatchParam:
      DeletePatchParam();
      return true;
    case cmd_EditAssignment:
      if (mPicture->HasHiliteArea()) OpenAssignDialog(mPicture->GetHiliteArea());
      return true;
    case cmd_ShowCaptions:
      mPicture->ShowMessages(!mPicture->IsMessageVisible());
      return true;
    case cmd_RequestPatch:
      RequestPatch();
      return true;
    case cmd_SendPatch:
      SendPatch();
      return true;
    default:
      return LWindow::ObeyCommand(command, param);
  }
}

void CMainWindow::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                    std::uint16_t& mark, Str255 name) {
  switch (command) {
    case cmd_CopyPatchParam:
    case cmd_EditAssignment:
      enabled = mPicture->HasHiliteArea();
      return;
    case cmd_PastePatchParam:
      enabled = mPicture->HasHiliteArea() && UScrap::HasData(kPatchParamFlavor);
      LString::CopyPStr(LStr255(STRx_EditorStrings, str_PasteAssignment), name);
      return;
    case cmd_DeletePatchParam:
      enabled = mPicture->HasHiliteArea();
      LString::CopyPStr(LStr255(STRx_EditorStrings, str_DeleteAssignment), name);
      return;
    case cmd_ShowCaptions:
      enabled = true;
      usesMark = true;
      mark = mPicture->IsMessageVisible() ? checkMark : noMark;
      return;
    case cmd_RequestPatch:
    case cmd_SendPatch:
      enabled = true;
      return;
    default:
      LWindow::FindCommandStatus(command, enabled, usesMark, mark, name);
  }
}

void CMainWindow::CopyPatchParam() {
  if (mPatch == nullptr || !mPicture->HasHiliteArea()) return;
  SPatchParam record;
  if (mAssignDialog != nullptr) {
    if (!mAssignDialog->GetDialogParam(record)) return;
  } else {
    mPatch->GetParam(mPicture->GetHiliteArea(), record);
  }
  UScrap::SetData(kPatchParamFlavor, &record, kPatchParamSize, true);
}

void CMainWindow::PastePatchParam() {
  if (mPatch == nullptr || !mPicture->HasHiliteArea()) return;
  std::vector<std::uint8_t> bytes;
  if (UScrap::GetData(kPatchParamFlavor, &bytes) != kPatchParamSize) return;
  SPatchParam record;
  std::memcpy(&record, bytes.data(), sizeof record);
  if (mAssignDialog != nullptr) {
    mAssignDialog->SetDialogParam(&record);
    return;
  }
  StPatchStep step(&mPatch->GetHistory(), LStr255(STRx_EditorStrings, str_PasteAssignment).Std());
  mPatch->SetParam(mPicture->GetHiliteArea(), &record);
}

void CMainWindow::DeletePatchParam() {
  if (mPatch == nullptr || !mPicture->HasHiliteArea()) return;
  if (mAssignDialog != nullptr) {
    const SPatchParam empty{};
    mAssignDialog->SetDialogParam(&empty);
  } else {
    StPatchStep step(&mPatch->GetHistory(), LStr255(STRx_EditorStrings, str_DeleteAssignment).Std());
    mPatch->ClearParam(mPicture->GetHiliteArea());
  }
}

// --- transfers

QString CMainWindow::GetStatusText() const { return mStatusLine->GetDescriptorText(); }

void CMainWindow::ShowStatus(const QString& text) { mStatusLine->SetDescriptorText(text); }

void CMainWindow::RequestPatch() {
  if (mPatch == nullptr) return;
  if (!MidiServiceReady(true)) {
    UAlert::ErrorAlert(STRx_Errors, err_MidiUnavailable);
    return;
  }
  if (!ConfirmTransfer(kConfirmRequestDialog)) return;
  const CPatch::SSnapshot before = mPatch->TakeSnapshot();
  CPatch::ERetrieveOutcome outcome;
  {
    // The emptying and every dump are one step: Undo brings back the patch from before.
    StPatchStep step(&mPatch->GetHistory(), kRequestStep);
    mPatch->BulkTrReRequest(0);
    outcome = mPatch->Retreive(this);
    // A part of the device's patch, or none, is not what the file holds: it must be saved
    // under thought.
    if (outcome != CPatch::ERetrieveOutcome::Complete) mPatch->MarkModified();
  }
  // The history keeps a step only when the patch changed.
  ShowRequestOutcome(outcome, !(mPatch->TakeSnapshot() == before));
}

void CMainWindow::ShowRequestOutcome(CPatch::ERetrieveOutcome outcome, bool stepKept) {
  using EOutcome = CPatch::ERetrieveOutcome;
  if (outcome == EOutcome::Complete) return;
  const std::string arrived = std::to_string(mPatch->GetReceivedCount());
  std::int16_t item = str_RequestIncomplete;
  if (outcome != EOutcome::Kept && stepKept && mPatch->GetHistory().Undo()) {
    // Keep What Arrived keeps; Cancel puts the patch back, and Redo brings what came.
    item = str_RequestCancelled;
  }
  std::string text = LStr255(STRx_EditorStrings, item).Std();
  if (const auto at = text.find("^0"); at != std::string::npos) text.replace(at, 2, arrived);
  ShowStatus(QString::fromStdString(text));
}

void CMainWindow::SendPatch() {
  if (mPatch == nullptr) return;
  if (mAssignDialog != nullptr && !mAssignDialog->ApplyDialogParam()) return;
  if (!MidiServiceReady(false)) {
    UAlert::ErrorAlert(STRx_Errors, err_MidiUnavailable);
    return;
  }
  bool verify = false;
  if (!ConfirmTransfer(kConfirmSendDialog, &verify)) return;
  mPatch->BulkTrReRequest(1);
  ShowSendReport(mPatch->TransmitPatch(this, verify));
}

void CMainWindow::ShowSendReport(const CPatch::STransmitReport& report) {
  const std::string text = CPatch::DescribeTransmit(report);
  if (text.empty()) return;
  ShowStatus(QString::fromStdString(text));
  // Anything but a clean verified send is worth an alert: the device may not hold the patch.
  if (report.outcome != CPatch::ETransmitOutcome::Verified || report.dropouts > 0)
    UAlert::ErrorAlert(text);
}

namespace {

// The stored Verify choice; none until the user has sent once.
std::optional<bool> StoredVerifyChoice() {
  if (!UPreference::SeekTag(LStr255(kPrefsTag), false)) return std::nullopt;
  const std::int32_t value = UPreference::GetParamValue(LStr255(kVerifyParam), -1);
  if (value < 0) return std::nullopt;
  return value != 0;
}

void StoreVerifyChoice(bool verify) {
  if (UPreference::SeekTag(LStr255(kPrefsTag), true))
    UPreference::SetParamValue(LStr255(kVerifyParam), verify ? 1 : 0);
}

// Sets up the send confirmation's Verify box: it needs an input port to read the patch back
// from, and is on by default when there is one.
void SetUpVerifyBox(LDialogBox& box) {
  auto* check = box.FindPaneByID<LControl>(CMainWindow::kVerifyBoxPane);
  if (check == nullptr) return;
  const bool canVerify = MidiServiceReady(true);
  check->SetValue(canVerify && StoredVerifyChoice().value_or(true) ? 1 : 0);
  if (canVerify) return;
  check->Disable();
  if (LPane* reason = box.FindPaneByID(CMainWindow::kVerifyReasonPane)) reason->Show();
}

}  // namespace

bool CMainWindow::ConfirmTransfer(ResIDT dialogID, bool* verify) {
  StDialogHandler dialog(dialogID, this);
  LDialogBox* box = LQtDialogHost::GetDialogBox(dialog);
  if (box != nullptr && dialogID == kConfirmRequestDialog && mPatch->IsModified()) {
    if (LPane* warning = box->FindPaneByID(kUnsavedChangesPane)) warning->Show();
  }
  if (box != nullptr && verify != nullptr) SetUpVerifyBox(*box);
  MessageT message = msg_Nothing;
  do {
    message = dialog.DoDialog();
  } while (message != msg_OK && message != msg_Cancel);
  if (message != msg_OK) return false;
  if (verify != nullptr) {
    box = LQtDialogHost::GetDialogBox(dialog);
    auto* check = box != nullptr ? box->FindPaneByID<LControl>(kVerifyBoxPane) : nullptr;
    *verify = check != nullptr && check->IsEnabled() && check->GetValue() != 0;
    if (check != nullptr && check->IsEnabled()) StoreVerifyChoice(*verify);
  }
  return true;
}

// --- mouse and keys

void CMainWindow::ClickInContent(const EventRecord& event) {
  mClickHandled = false;
  if (UDesktop::WindowIsSelected(this)) {
    LWindow::ClickInContent(event);
    return;
  }
  // The picture takes clicks while another window (the assign dialog) is in front.
  SMouseDownEvent mouseDown;
  mouseDown.macEvent = event;
  mouseDown.wherePort = event.where;
  GlobalToPortPoint(mouseDown.wherePort);
  const bool onPicture = FindSubPaneHitBy(mouseDown.wherePort.h, mouseDown.wherePort.v) == mPicture;
  if (onPicture) mPicture->Click(mouseDown);
  if (mClickHandled) return;
  Select();
  if (!onPicture) LWindow::ClickInContent(event);
}

bool CMainWindow::NeedToAdjustCursor(const Point& portPoint) {
  return IsActive() || FindSubPaneHitBy(portPoint.h, portPoint.v) == mPicture;
}

long CMainWindow::SteppedControllerIndex(long step) const {
  if (!mPicture->HasHiliteArea()) return 0;
  return (mPicture->GetHiliteArea() + step + kControllerCount) % kControllerCount;
}

bool CMainWindow::HandleKeyPress(const EventRecord& event) {
  const bool command = (event.modifiers & cmdKey) != 0;
  switch (UKeyboard::CharCode(event)) {
    case char_Backspace:
      ObeyCommand(cmd_DeletePatchParam, nullptr);
      return true;
    case 'M':
    case 'm':
      if (UDesktop::WindowIsSelected(this)) Collapse(true);
      return true;
    case 'F':
    case 'f':
      if (command) OpenAssignDialog(SteppedControllerIndex(+1));
      return true;
    case 'B':
    case 'b':
      if (command) OpenAssignDialog(SteppedControllerIndex(-1));
      return true;
    default:
      return LWindow::HandleKeyPress(event);
  }
}

// --- drops

bool CMainWindow::ItemIsAcceptable(DragReference drag, ItemReference item) {
  if (mBusy || UAlert::IsAlerting()) return false;
  return ItemHasFlavor(drag, item, flavorTypeHFS);
}

void CMainWindow::DoDragReceive(DragReference drag) {
  if (CountDragItems(drag) == 0) return;
  FocusDropArea();
  Rect noBounds{};
  ReceiveDragItem(drag, 0, 1, noBounds);
}

void CMainWindow::ReceiveDragItem(DragReference drag, DragAttributes, ItemReference item, Rect&) {
  if (mBusy || UAlert::IsAlerting()) return;
  FSSpec file;
  const OSErr status = GetFileSpec(drag, item, file);
  if (status != noErr) LException::ThrowException(status, "the dropped item is no file");
  mBusy = true;
  mDroppedFile = file;
  StartRepeating();
}

void CMainWindow::SpendTime(const EventRecord&) {
  StopRepeating();
  SetUpdateCommandStatus(true);
  // The drop is over once the file has been handed on, also when opening it failed: the
  // command keeps the window busy while it runs and gives back the value it found.
  mBusy = false;
  ObeyCommand(cmd_OpenDroppedFile, &mDroppedFile);
}

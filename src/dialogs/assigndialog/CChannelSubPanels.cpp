#include "dialogs/assigndialog/CChannelSubPanels.h"

#include "dialogs/assigndialog/AssignDialogMessages.h"
#include "framework/core/StStopBroadcasting.h"
#include "framework/ui/LControl.h"
#include "framework/ui/LEditText.h"
#include "support/CSpinEditField.h"

namespace {

using SValue = CChannelValuePanel::SValue;
using SLayout = CChannelValuePanel::SLayout;
constexpr int kChannel = CChannelValuePanel::kChannelByte;

constexpr SValue kChannelValue{200, kChannel, 1, 1};

constexpr SValue kNote[] = {kChannelValue, {202, 0, 0, 64}, {204, 1, 0, 100}};
constexpr SValue kChannelPressure[] = {kChannelValue, {202, 0, 0, 0}, {204, 1, 0, 127}};
constexpr SValue kPolyPressure[] = {kChannelValue, {202, 0, 0, 64}, {204, 1, 0, 0}, {206, 2, 0, 127}};
constexpr SValue kControlChange[] = {kChannelValue, {202, 0, 0, 0}, {204, 1, 0, 0}, {206, 2, 0, 127}};
constexpr SValue kFixedProgram[] = {kChannelValue, {202, 0, 1, 1}};
constexpr SValue kProgramRange[] = {kChannelValue, {202, 0, 1, 1}, {204, 1, 1, 128}};
constexpr SValue kBankProgram[] = {kChannelValue, {202, 1, 0, 0}, {204, 0, 0, 0}, {206, 2, 1, 1}};
constexpr SValue kParameterNumber[] = {
    kChannelValue, {202, 2, 0, 0}, {204, 1, 0, 0}, {206, 3, 0, 0}, {208, 4, 0, 127}};
constexpr SValue kEncoder[] = {kChannelValue, {202, 0, 0, 0}};

const SLayout kNoteLayout{msgType_Note, kNote};
const SLayout kChannelPressureLayout{msgType_CAf, kChannelPressure};
const SLayout kPolyPressureLayout{msgType_PAf, kPolyPressure};
const SLayout kControlChangeLayout{msgType_CC, kControlChange};
const SLayout kFixedProgramLayout{msgType_FixedPC, kFixedProgram};
const SLayout kProgramRangeLayout{msgType_PC, kProgramRange};
const SLayout kBankProgramLayout{msgType_FixedBankPC, kBankProgram};
const SLayout kDecrementLayout{msgType_CurPC, {}, 1};
const SLayout kIncrementLayout{msgType_CurPC, {}, 0};
const SLayout kRPNLayout{msgType_RPN, kParameterNumber, 1};
const SLayout kNRPNLayout{msgType_NRPN, kParameterNumber, 0};
const SLayout kEncoderLayout{msgType_Enc, kEncoder};

std::uint8_t& StoredByte(SPatchParam& record, int byte) {
  return byte == kChannel ? record.channel : record.data[byte];
}

}  // namespace

CChannelValuePanel::CChannelValuePanel(const LPaneData& data, const SLayout& layout)
    : CAssignPanel(data), mLayout(layout) {}

void CChannelValuePanel::SetPanelParam(const SPatchParam* record) {
  SPatchParam shown = *record;
  for (const SValue& value : mLayout.values)
    GetControl<LControl>(value.pane)->SetValue(StoredByte(shown, value.byte) + value.offset);
}

bool CChannelValuePanel::GetPanelParam(SPatchParam& out) {
  out.msgType = mLayout.msgType;
  for (const SValue& value : mLayout.values) {
    const std::int32_t shown = GetControl<LControl>(value.pane)->GetValue();
    StoredByte(out, value.byte) = static_cast<std::uint8_t>(shown - value.offset);
  }
  if (mLayout.fixedData0 >= 0) out.data[0] = static_cast<std::uint8_t>(mLayout.fixedData0);
  return true;
}

void CChannelValuePanel::InitPanelParam() {
  for (const SValue& value : mLayout.values)
    GetControl<LControl>(value.pane)->SetValue(value.shownDefault);
}

// --- the note panel

CNotePanel::CNotePanel(const LPaneData& data) : CChannelValuePanel(data, kNoteLayout) {}

void CNotePanel::FinishCreateSelf() {
  CChannelValuePanel::FinishCreateSelf();
  GetControl<LEditText>(kVelocityField)->AddListener(this);
  GetControl<LControl>(kVelocityControl)->AddListener(this);
}

void CNotePanel::ListenToMessage(MessageT message, void*) {
  if (message != msg_VelocityText && message != msg_VelocityValue) return;
  auto* field = GetControl<LEditText>(kVelocityField);
  if (field->GetText() != QLatin1String("0")) return;
  StStopBroadcasting quiet(*field);
  field->SetText(QString::fromLatin1(CSpinEditField::kTouchText));
}

// --- the panels that are their tables

#define KVX_DEFINE_CHANNEL_VALUE_PANEL(Class, layout) \
  Class::Class(const LPaneData& data) : CChannelValuePanel(data, layout) {}

KVX_DEFINE_CHANNEL_VALUE_PANEL(CChannelPressurePanel, kChannelPressureLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CPolyPressurePanel, kPolyPressureLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CCCPanel, kControlChangeLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CFixedPCPanel, kFixedProgramLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CPCPanel, kProgramRangeLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CFixedBankPCPanel, kBankProgramLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CDecPCPanel, kDecrementLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CIncPCPanel, kIncrementLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CRPNPanel, kRPNLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CNRPNPanel, kNRPNLayout)
KVX_DEFINE_CHANNEL_VALUE_PANEL(CEncoderSimulatePanel, kEncoderLayout)

#undef KVX_DEFINE_CHANNEL_VALUE_PANEL

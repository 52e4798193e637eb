#include "document/CPatch.h"

#include "framework/core/LString.h"

#include <cstring>

namespace {

// Payload sizes by message type (codes above 24 have none).
constexpr long kParamStructSizes[kMaxMsgType + 1] = {
    0,   // NoAssign
    3,   // Note
    3,   // Note (alternate)
    2,   // CAf
    2,   // CAf (alternate)
    3,   // PAf
    3,   // PAf (alternate)
    3,   // CC
    3,   // CC (alternate)
    3,   // Enc
    2,   // PC
    4,   // BankPC
    1,   // FixedPC
    3,   // FixedBankPC
    1,   // CurPC
    5,   // RPN
    5,   // RPN (alternate)
    5,   // NRPN
    5,   // NRPN (alternate)
    1,   // Realtime
    34,  // Sysx
    34,  // Sysx (alternate)
    32,  // Free
    32,  // Free (alternate)
    0,   // Tempo
};

const unsigned char kEmptyString[1] = {0};

}  // namespace

CPatch::CPatch() = default;

CPatch::~CPatch() = default;

long CPatch::GetControllerType(long index) const {
  return ValidParamIndex(index) ? kControllerInfo[index].type : 1;
}

ConstStr255Param CPatch::GetControllerDescriptor(long index) const {
  return ValidParamIndex(index) ? kControllerInfo[index].descriptor : kEmptyString;
}

bool CPatch::IsControllerButton(long index) const {
  return GetControllerType(index) == kControllerTypeButton;
}

SPatchParam* CPatch::GetParam(long index) {
  return ValidParamIndex(index) ? &mParams[index] : nullptr;
}

const SPatchParam* CPatch::GetParam(long index) const {
  return ValidParamIndex(index) ? &mParams[index] : nullptr;
}

void CPatch::GetParam(long index, SPatchParam& out) const {
  if (ValidParamIndex(index)) out = mParams[index];
}

void CPatch::SetParam(long index, const SPatchParam* param) {
  if (!ValidParamIndex(index)) return;
  if (param == nullptr) {
    ClearParam(index);
    return;
  }
  SPatchParam record = *param;
  long used = GetParamStructSize(record.msgType);
  std::memset(record.data + used, 0, kParamDataSize - static_cast<std::size_t>(used));
  record.isEncoder = record.msgType == msgType_Enc ? 1 : 0;
  switch (record.msgType) {
    case msgType_NoAssign:
    case msgType_PC:
    case msgType_FixedPC:
    case msgType_CurPC:
      record.options = 0;
      record.outputPort = 0;
      break;
    case msgType_Enc:
    case msgType_BankPC:
    case msgType_FixedBankPC:
    case msgType_Realtime:
      record.options = 0;
      break;
    case msgType_Tempo:
      record.outputPort = 0;
      break;
    default:
      break;
  }
  if (std::memcmp(&record, &mParams[index], sizeof record) == 0) return;
  mParams[index] = record;
  mModified = true;
  BroadcastMessage(msg_PatchChanged, &index);
}

void CPatch::ClearParam(long index) {
  if (!ValidParamIndex(index)) return;
  std::memset(&mParams[index], 0, sizeof(SPatchParam));
  mModified = true;
  BroadcastMessage(msg_PatchChanged, &index);
}

void CPatch::InitAllParams() {
  mModified = false;
  mTitle[0] = 0;
  std::memset(mParams, 0, sizeof mParams);
  mCopyrights.clear();
  BroadcastMessage(msg_PatchInit, nullptr);
}

long CPatch::GetAssignMessage(long index) const {
  return ValidParamIndex(index) ? mParams[index].msgType : 0;
}

long CPatch::GetOutputPort(long index) const {
  return ValidParamIndex(index) ? mParams[index].outputPort : 0;
}

long CPatch::GetParamStructSize(long msgType) const {
  if (msgType < 0 || msgType > kMaxMsgType) return 0;
  return kParamStructSizes[msgType];
}

StringPtr CPatch::GetPatchTitle(Str255 out) const {
  return LString::CopyPStr(mTitle, out, sizeof(Str255));
}

void CPatch::SetPatchTitle(ConstStr255Param title) {
  LString::CopyPStr(title, mTitle, sizeof mTitle);
  mModified = true;
}

std::uint32_t CPatch::GetLEndianUInt32(std::uint32_t value) {
  return ((value & 0xFF) << 24) | ((value & 0xFF00) << 8) | ((value >> 8) & 0xFF00) |
         (value >> 24);
}

std::uint16_t CPatch::GetLEndianUInt16(std::uint16_t value) {
  return static_cast<std::uint16_t>((value << 8) | (value >> 8));
}

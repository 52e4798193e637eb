#include "document/CPatch.h"

#include "document/CPatchHistory.h"

#include "framework/core/LString.h"
#include "utilities/UStringUtils.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

const unsigned char kBulkHeader[7] = {0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12};
const unsigned char kBulkHeader_100[6] = {0xF0, 0x7D, 0x10, 0x00, 0x4E, 0x12};
// Data sets of one byte to address 7F 00 00 00: 01 asks the device to transmit, 03 to receive.
const unsigned char kBulkTransRequest[kBulkRequestSize] = {
    0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x01, 0x00, 0xF7};
const unsigned char kBulkReceiveRequest[kBulkRequestSize] = {
    0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x03, 0x7E, 0xF7};
const unsigned char kSMFHeaderText[] = "\x13" "KVX message set 200";

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

// Bulk dump layout (offsets from F0). The older format has a 6-byte header, so its address
// and nibbles sit one byte earlier.
constexpr long kCheckPos[] = {0, 1, 3, 4, 5, 6};  // the device ID (offset 2) is never compared
constexpr long kCheckPos_100[] = {0, 1, 3, 4, 5};
constexpr long kMinBulkLength = 140;  // both formats
constexpr long kAddressPos = 7;
constexpr long kAddressPos_100 = 6;
constexpr long kNibblePos = 11;
constexpr long kNibblePos_100 = 10;
constexpr long kChecksumPos = 139;

// Where the controllers of the older 27-controller device live in the current table.
struct SOldIndexShift {
  long firstOld;
  long lastOld;
  long shift;
};
constexpr SOldIndexShift kVersion100Map[] = {
    {0, 7, 0},     // R1-R8
    {8, 15, 1},    // S1-S8
    {16, 21, 11},  // B1-B6
    {22, 24, 19},  // L1-L3
    {25, 26, 20},  // P1-P2
};

// The sum of the bytes plus the checksum is a multiple of 128.
unsigned char BulkChecksum(const unsigned char* first, const unsigned char* last) {
  unsigned sum = 0;
  for (const unsigned char* p = first; p != last; ++p) sum += *p;
  return static_cast<unsigned char>((128 - sum % 128) % 128);
}

bool IsAlternateMsgType(std::uint8_t msgType) {
  switch (msgType) {
    case msgType_Note + 1: case msgType_CAf + 1: case msgType_PAf + 1: case msgType_CC + 1:
    case msgType_RPN + 1: case msgType_NRPN + 1: case msgType_Sysx + 1: case msgType_Free + 1:
      return true;
    default:
      return false;
  }
}

std::string Num(unsigned value) { return std::to_string(value); }

std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

// The short caption of an assignment; empty for codes without one.
std::string MakeShortCaption(const SPatchParam& param) {
  const std::uint8_t* data = param.data;
  const std::string ch = Num(param.channel + 1u);
  switch (param.msgType) {
    case msgType_Note: case msgType_Note + 1:
      return Concat({"NT ", Num(data[0]), ":", ch});
    case msgType_CAf: case msgType_CAf + 1:
      return Concat({"CAf ", ":", ch});
    case msgType_PAf: case msgType_PAf + 1:
      return Concat({"PAf ", Num(data[0]), ":", ch});
    case msgType_CC: case msgType_CC + 1:
      return Concat({"CC ", Num(data[0]), ":", ch});
    case msgType_Enc:
      return Concat({"Enc ", Num(data[0]), ":", ch});
    case msgType_PC:
      return Concat({"PC ", ":", ch});
    case msgType_BankPC:
      return Concat({"Bnk ", Num(data[1]), "/", Num(data[0]), ", PC ", ":", ch});
    case msgType_FixedPC:
      return Concat({"PC ", Num(data[0] + 1u), ":", ch});
    case msgType_FixedBankPC:
      return Concat({"Bnk ", Num(data[1]), "/", Num(data[0]), ", PC ", Num(data[2] + 1u), ":", ch});
    case msgType_CurPC:
      return data[0] == 0 ? "PC Inc." : "PC Dec.";
    case msgType_RPN: case msgType_RPN + 1:
      return Concat({"RP ", Num(data[2]), "/", Num(data[1]), ":", ch});
    case msgType_NRPN: case msgType_NRPN + 1:
      return Concat({"NP ", Num(data[2]), "/", Num(data[1]), ":", ch});
    case msgType_Realtime: {
      Str255 hex;
      return LString::ToStd(UStringUtils::NumToHex(data[0], hex));
    }
    case msgType_Sysx: case msgType_Sysx + 1:
      return "SysEx.";
    case msgType_Free: case msgType_Free + 1:
      return "FREE";
    case msgType_Tempo:
      return "TEMPO";
    default:
      return {};
  }
}

}  // namespace

CPatch::CPatch() : mHistory(std::make_unique<CPatchHistory>(*this)) {}

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
  msg_PatchChanged.Send(*this, static_cast<std::int32_t>(index));
}

void CPatch::ClearParam(long index) {
  if (!ValidParamIndex(index)) return;
  std::memset(&mParams[index], 0, sizeof(SPatchParam));
  mModified = true;
  msg_PatchChanged.Send(*this, static_cast<std::int32_t>(index));
}

void CPatch::InitAllParams() {
  mModified = false;
  mTitle[0] = 0;
  std::memset(mParams, 0, sizeof mParams);
  mCopyrights.clear();
  mDamagedDumps.clear();
  msg_PatchInit.Send(*this);
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

// --- undo

namespace {

// Length-prefixed titles: the bytes behind the length are no part of them.
bool SameTitle(const unsigned char* a, const unsigned char* b) {
  return a[0] == b[0] && std::memcmp(a + 1, b + 1, a[0]) == 0;
}

}  // namespace

bool CPatch::SSnapshot::operator==(const SSnapshot& other) const {
  return SameTitle(title, other.title) &&
         std::memcmp(params, other.params, sizeof params) == 0 &&
         copyrights == other.copyrights && modified == other.modified;
}

CPatch::SSnapshot CPatch::TakeSnapshot() const {
  SSnapshot snapshot;
  std::memcpy(snapshot.title, mTitle, sizeof mTitle);
  std::memcpy(snapshot.params, mParams, sizeof mParams);
  snapshot.copyrights = mCopyrights;
  snapshot.modified = mModified;
  return snapshot;
}

void CPatch::RestoreSnapshot(const SSnapshot& snapshot) {
  mCopyrights = snapshot.copyrights;
  mModified = snapshot.modified;
  for (long index = 0; index < kControllerCount; ++index) {
    if (std::memcmp(&mParams[index], &snapshot.params[index], sizeof(SPatchParam)) == 0)
      continue;
    mParams[index] = snapshot.params[index];
    // 'Pchg' redraws the caption, 'Plod' has an assign dialog on this controller reload it.
    const auto changed = static_cast<std::int32_t>(index);
    msg_PatchChanged.Send(*this, changed);
    msg_ParamLoaded.Send(*this, changed);
  }
  if (!SameTitle(mTitle, snapshot.title)) {
    std::memcpy(mTitle, snapshot.title, sizeof mTitle);
    msg_TitleLoaded.Send(*this, *mTitle);
  }
}

std::uint32_t CPatch::GetLEndianUInt32(std::uint32_t value) {
  return ((value & 0xFF) << 24) | ((value & 0xFF00) << 8) | ((value >> 8) & 0xFF00) |
         (value >> 24);
}

std::uint16_t CPatch::GetLEndianUInt16(std::uint16_t value) {
  return static_cast<std::uint16_t>((value << 8) | (value >> 8));
}

// --- bulk dumps

long CPatch::MakeBulkSysx(long index, unsigned char* out) const {
  if (!ValidParamIndex(index) || out == nullptr) return 0;
  std::memcpy(out, kBulkHeader, sizeof kBulkHeader);
  const std::uint32_t address = kControllerInfo[index].address;
  for (int k = 0; k < 4; ++k) out[kAddressPos + k] = static_cast<unsigned char>(address >> (24 - 8 * k));
  const std::uint8_t* image = mParams[index].DeviceImage();
  for (std::size_t k = 0; k < kDeviceImageSize; ++k) {
    out[kNibblePos + 2 * k] = static_cast<unsigned char>(image[k] >> 4);
    out[kNibblePos + 2 * k + 1] = static_cast<unsigned char>(image[k] & 0x0F);
  }
  const long paddingPos = kNibblePos + 2 * static_cast<long>(kDeviceImageSize);
  std::memset(out + paddingPos, 0, static_cast<std::size_t>(kChecksumPos - paddingPos));
  out[kChecksumPos] = BulkChecksum(out + kAddressPos, out + kChecksumPos);
  out[kChecksumPos + 1] = 0xF7;
  return kBulkDumpSize;
}

bool CPatch::IsKVXSysx(const unsigned char* bytes, long length) const {
  if (bytes == nullptr || length < kMinBulkLength) return false;
  if (mVersion == kPatchVersion_100) {
    for (long pos : kCheckPos_100)
      if (bytes[pos] != kBulkHeader_100[pos]) return false;
  } else {
    for (long pos : kCheckPos)
      if (bytes[pos] != kBulkHeader[pos]) return false;
  }
  return true;
}

long CPatch::CheckBulkSysx(const unsigned char* bytes, long length) const {
  if (!IsKVXSysx(bytes, length)) return -1;
  const bool old = mVersion == kPatchVersion_100;
  const unsigned char* at = bytes + (old ? kAddressPos_100 : kAddressPos);
  const std::uint32_t address = (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
                                (std::uint32_t{at[2]} << 8) | std::uint32_t{at[3]};
  const long rows = old ? kControllerCount_100 : kControllerCount;
  for (long row = 0; row < rows; ++row)
    if (kControllerInfo[row].address == address) return row;
  return -1;
}

long CPatch::GetDumpTargetIndex(long dumpIndex) const {
  if (mVersion != kPatchVersion_100) return ValidParamIndex(dumpIndex) ? dumpIndex : -1;
  for (const SOldIndexShift& range : kVersion100Map)
    if (dumpIndex >= range.firstOld && dumpIndex <= range.lastOld) return dumpIndex + range.shift;
  return -1;
}

void CPatch::ExtractBulkData(long index, const unsigned char* bytes) {
  const long target = GetDumpTargetIndex(index);
  if (target < 0 || bytes == nullptr) return;
  const unsigned char* nibbles = bytes + (mVersion == kPatchVersion_100 ? kNibblePos_100 : kNibblePos);
  // Written directly: the name stays, no normalisation, no broadcast (the caller announces).
  std::uint8_t* image = mParams[target].DeviceImage();
  for (std::size_t k = 0; k < kDeviceImageSize; ++k)
    image[k] = static_cast<std::uint8_t>(((nibbles[2 * k] & 0x0F) << 4) | (nibbles[2 * k + 1] & 0x0F));
  if (IsAlternateMsgType(mParams[target].msgType)) --mParams[target].msgType;
}

// --- receiving from the device

void CPatch::ProcessMessage(const unsigned char* bytes, long length) {
  const long index = CheckBulkSysx(bytes, length);
  if (index < 0) return;  // not a dump of ours: dropped
  if (!HasValidChecksum(bytes, length)) {
    // Storing it would put a wrong assignment into the patch without a word.
    NoteDamagedDump(GetDumpTargetIndex(index));
    return;
  }
  const long row = GetDumpTargetIndex(index);
  std::erase(mDamagedDumps, row);  // a good copy came after all
  ExtractBulkData(index, bytes);
  mModified = true;
  // A controller sent twice keeps its later dump and counts once.
  mReceivedControllers.set(static_cast<std::size_t>(row));
  ++mArrivedDumps;
  mReceivedCount = static_cast<std::uint16_t>(mReceivedControllers.count());
  // The row the dump filled (the same as the dump's index in the current format).
  msg_ParamReceived.Send(*this, static_cast<std::int32_t>(row));
}

void CPatch::StartCounting() {
  mReceivedControllers.reset();
  mReceivedCount = 0;
  mArrivedDumps = 0;
  mDamagedDumps.clear();
}

std::vector<long> CPatch::GetMissingControllers() const {
  std::vector<long> missing;
  for (long row = 0; row < kControllerCount; ++row)
    if (!mReceivedControllers.test(static_cast<std::size_t>(row))) missing.push_back(row);
  return missing;
}

// --- damaged dumps

bool CPatch::HasValidChecksum(const unsigned char* bytes, long length) const {
  if (mVersion == kPatchVersion_100) return true;
  if (bytes == nullptr || length <= kChecksumPos) return false;
  return bytes[kChecksumPos] == BulkChecksum(bytes + kAddressPos, bytes + kChecksumPos);
}

void CPatch::NoteDamagedDump(long row) {
  if (!ValidParamIndex(row)) return;
  if (std::find(mDamagedDumps.begin(), mDamagedDumps.end(), row) == mDamagedDumps.end())
    mDamagedDumps.push_back(row);
}

std::string CPatch::GetDamagedDumpsText() const { return DescribeControllers(mDamagedDumps); }

std::string CPatch::DescribeControllers(const std::vector<long>& rows) {
  std::string text;
  for (long row : rows) {
    if (!ValidParamIndex(row)) continue;
    if (!text.empty()) text += ", ";
    text += LString::View(kControllerInfo[row].descriptor);
  }
  return text;
}

// --- captions

void CPatch::GetShortParamCaption(long index, Str255 out) const {
  std::string caption;
  if (const SPatchParam* param = GetParam(index)) caption = MakeShortCaption(*param);
  if (caption.empty()) caption = "N/A";
  LString::FromStd(caption, out);
}

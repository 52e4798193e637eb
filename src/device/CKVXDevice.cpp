#include "device/CKVXDevice.h"

#include "framework/core/LString.h"
#include "framework/core/MidiBytes.h"

namespace {

constexpr std::size_t kAddressPos = 7;
constexpr std::size_t kNibblePos = 11;
constexpr std::size_t kChecksumPos = 139;
constexpr std::size_t kDeviceIDPos = 2;  // any device ID is answered, as the editor accepts any

bool IsRequest(std::span<const std::uint8_t> message, const unsigned char* request) {
  if (message.size() != static_cast<std::size_t>(kBulkRequestSize)) return false;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (i != kDeviceIDPos && message[i] != request[i]) return false;
  }
  return true;
}

// SysEx under the device's manufacturer ID; other makers' messages are not meant for it.
bool IsOurSysex(std::span<const std::uint8_t> message) {
  return message.size() >= 2 && message[0] == kSysexStart && message[1] == kBulkHeader[1];
}

bool HasValidChecksum(std::span<const std::uint8_t> dump) {
  unsigned sum = 0;
  for (std::size_t i = kAddressPos; i <= kChecksumPos; ++i) sum += dump[i];
  return sum % 128 == 0;
}

bool IsRealtime(std::span<const std::uint8_t> message) {
  return message.size() == 1 && message[0] >= 0xF8;
}

std::string ControllerLabel(long controller) {
  if (!CPatch::ValidParamIndex(controller)) return "an unknown controller";
  return LString::ToStd(kControllerInfo[controller].descriptor) + " (controller " +
         std::to_string(controller) + ")";
}

const char* FaultText(CKVXDevice::EDumpFault fault) {
  switch (fault) {
    case CKVXDevice::EDumpFault::Length:
      return "not a 141-byte dump ending in F7";
    case CKVXDevice::EDumpFault::Header:
      return "wrong header";
    case CKVXDevice::EDumpFault::Address:
      return "address of no controller";
    case CKVXDevice::EDumpFault::Checksum:
      return "wrong checksum";
    case CKVXDevice::EDumpFault::None:
      break;
  }
  return "no fault";
}

}  // namespace

CKVXDevice::CKVXDevice() = default;

short CKVXDevice::LoadPatch(const FSSpec& file) {
  const short status = mMemory.LoadSMF(file);
  mMemory.SetCurrentVersion();  // the device speaks the current format whatever it loaded
  return status;
}

short CKVXDevice::SavePatch(const FSSpec& file) { return mMemory.SaveSMF(file); }

CKVXDevice::EDumpFault CKVXDevice::CheckDump(std::span<const std::uint8_t> message,
                                             long& controller) const {
  controller = -1;
  if (message.size() != static_cast<std::size_t>(kBulkDumpSize) || message.back() != kSysexEnd) {
    return EDumpFault::Length;
  }
  const long length = static_cast<long>(message.size());
  if (!mMemory.IsKVXSysx(message.data(), length)) return EDumpFault::Header;
  controller = mMemory.CheckBulkSysx(message.data(), length);
  if (controller < 0) return EDumpFault::Address;
  if (!HasValidChecksum(message)) return EDumpFault::Checksum;
  return EDumpFault::None;
}

void CKVXDevice::ReceiveMidi(std::span<const std::uint8_t> bytes, std::uint32_t now) {
  mParser.Feed(bytes, [this, now](std::span<const std::uint8_t> message, bool truncated) {
    HandleMessage(message, truncated, now);
  });
}

std::optional<std::uint32_t> CKVXDevice::NextDueTick() const {
  if (mState != EState::Transmitting) return std::nullopt;
  return mNextDue;
}

bool CKVXDevice::TakeDueMessage(std::uint32_t now, std::vector<std::uint8_t>& out) {
  // The difference is read as signed, so that the tick count may wrap.
  if (mState != EState::Transmitting || static_cast<std::int32_t>(now - mNextDue) < 0) {
    return false;
  }
  const Dump& dump = mOutgoing[mNextDump];
  out.assign(dump.begin(), dump.end());
  Report({EEvent::DumpSent, mOutgoingControllers[mNextDump], EDumpFault::None, dump.size()});
  ++mNextDump;
  mNextDue = now + kDumpGapTicks;
  if (mNextDump == mOutgoing.size()) {
    mState = EState::Idle;
    Report({EEvent::TransmitFinished});
  }
  return true;
}

void CKVXDevice::HandleMessage(std::span<const std::uint8_t> message, bool truncated,
                               std::uint32_t now) {
  if (message.empty() || IsRealtime(message)) return;
  if (!truncated && IsRequest(message, kBulkTransRequest)) {
    StartTransmit(now);
  } else if (!truncated && IsRequest(message, kBulkReceiveRequest)) {
    StartReceive();
  } else if (IsOurSysex(message) && mState == EState::Receiving) {
    TakeDump(message, truncated);
  } else if (mMemory.IsKVXSysx(message.data(), static_cast<long>(message.size()))) {
    Report({EEvent::DumpIgnored, -1, EDumpFault::None, message.size()});
  } else {
    Report({EEvent::MessageIgnored, -1, EDumpFault::None, message.size()});
  }
}

void CKVXDevice::StartTransmit(std::uint32_t now) {
  mOutgoing.assign(static_cast<std::size_t>(kControllerCount), Dump{});
  mOutgoingControllers.resize(static_cast<std::size_t>(kControllerCount));
  for (long index = 0; index < kControllerCount; ++index) {
    mMemory.MakeBulkSysx(index, mOutgoing[static_cast<std::size_t>(index)].data());
    mOutgoingControllers[static_cast<std::size_t>(index)] = index;
  }
  ApplyTransmitFaults();
  mState = mOutgoing.empty() ? EState::Idle : EState::Transmitting;
  mNextDump = 0;
  mNextDue = now;
  Report({EEvent::TransmitRequested, -1, EDumpFault::None, kBulkRequestSize});
}

void CKVXDevice::ApplyTransmitFaults() {
  const auto at = [](long controller) { return static_cast<std::size_t>(controller); };
  if (CPatch::ValidParamIndex(mFaults.corruptDump)) {
    std::uint8_t& checksum = mOutgoing[at(mFaults.corruptDump)][kChecksumPos];
    checksum = static_cast<std::uint8_t>((checksum + 1) & 0x7F);
  }
  if (CPatch::ValidParamIndex(mFaults.repeatDump) && mFaults.repeatDump + 1 < kControllerCount) {
    mOutgoing[at(mFaults.repeatDump + 1)] = mOutgoing[at(mFaults.repeatDump)];
    mOutgoingControllers[at(mFaults.repeatDump + 1)] = mFaults.repeatDump;
  }
  if (CPatch::ValidParamIndex(mFaults.dropDump)) {
    mOutgoing.erase(mOutgoing.begin() + mFaults.dropDump);
    mOutgoingControllers.erase(mOutgoingControllers.begin() + mFaults.dropDump);
  }
}

void CKVXDevice::StartReceive() {
  mOutgoing.clear();
  mState = EState::Receiving;
  mStored = 0;
  mRejected = 0;
  Report({EEvent::ReceiveRequested, -1, EDumpFault::None, kBulkRequestSize});
}

void CKVXDevice::TakeDump(std::span<const std::uint8_t> message, bool truncated) {
  long controller = -1;
  const EDumpFault fault = truncated ? EDumpFault::Length : CheckDump(message, controller);
  if (fault == EDumpFault::None && controller == mFaults.loseReceived) {
    mFaults.loseReceived = -1;  // once: the next copy arrives
    Report({EEvent::DumpLost, controller, fault, message.size(), mStored, mRejected});
    return;
  }
  if (fault == EDumpFault::None) {
    StoreDump(controller, message);
    ++mStored;
    Report({EEvent::DumpStored, controller, fault, message.size(), mStored, mRejected});
  } else {
    ++mRejected;
    Report({EEvent::DumpRejected, controller, fault, message.size(), mStored, mRejected});
  }
  if (mStored + mRejected == kControllerCount) {
    mState = EState::Idle;
    Report({EEvent::ReceiveFinished, -1, EDumpFault::None, 0, mStored, mRejected});
  }
}

// The record takes the dump's bytes as they are (no folding of message-type codes as the
// editor does on reading), so that what was received is sent back unchanged.
void CKVXDevice::StoreDump(long controller, std::span<const std::uint8_t> message) {
  std::uint8_t* image = mMemory.GetParam(controller)->DeviceImage();
  for (std::size_t k = 0; k < kDeviceImageSize; ++k) {
    image[k] = static_cast<std::uint8_t>(((message[kNibblePos + 2 * k] & 0x0F) << 4) |
                                         (message[kNibblePos + 2 * k + 1] & 0x0F));
  }
}

void CKVXDevice::Report(const SReport& report) const {
  if (mReport) mReport(report);
}

std::string CKVXDevice::Describe(const SReport& report) {
  switch (report.event) {
    case EEvent::TransmitRequested:
      return "<- transmit request: sending 50 dumps";
    case EEvent::DumpSent:
      return "-> dump " + std::to_string(report.controller + 1) + "/50, " +
             ControllerLabel(report.controller);
    case EEvent::TransmitFinished:
      return "-- all 50 dumps sent";
    case EEvent::ReceiveRequested:
      return "<- receive request: waiting for 50 dumps";
    case EEvent::DumpStored:
      return "<- dump for " + ControllerLabel(report.controller) + ": stored";
    case EEvent::DumpRejected:
      return "<- dump " +
             (report.controller >= 0 ? "for " + ControllerLabel(report.controller) + " " : "") +
             "rejected (" + std::to_string(report.length) + " bytes): " + FaultText(report.fault);
    case EEvent::ReceiveFinished:
      return "-- 50 dumps received: " + std::to_string(report.stored) + " stored, " +
             std::to_string(report.rejected) + " rejected";
    case EEvent::DumpIgnored:
      return "<- dump ignored: no receive request before it";
    case EEvent::MessageIgnored:
      return "<- message of " + std::to_string(report.length) + " bytes ignored";
    case EEvent::DumpLost:
      return "<- dump for " + ControllerLabel(report.controller) + ": lost (fault option)";
  }
  return {};
}

// The KVX device's side of the transfer, without any I/O, so that the built-in device, the
// kvx-device program and the tests share it. It keeps 50 records; a transmit request makes it
// send its 50 bulk dumps in controller order, at least kDumpGapTicks apart; a receive request
// makes it take the dumps that follow (the next 50 SysEx messages under its manufacturer ID),
// checking each one's shape, header, address and checksum, storing the good ones and
// reporting the bad ones. Time comes in as tick counts.
// Not thread-safe: one thread drives it.
#pragma once

#include "document/CPatch.h"
#include "framework/core/FSSpec.h"
#include "midi/platform/CMidiDeviceModel.h"
#include "midi/platform/CMidiStreamParser.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CKVXDevice final : public CMidiDeviceModel {
 public:
  static constexpr std::uint32_t kDumpGapTicks = 4;
  static constexpr std::size_t kMaxMessageLength = 1024;

  enum class EEvent {
    TransmitRequested,  // a transmit request arrived; the dumps follow
    DumpSent,           // `controller`'s dump went out
    TransmitFinished,   // all 50 are out
    ReceiveRequested,   // a receive request arrived; dumps are taken from now on
    DumpStored,         // `controller`'s dump was good and is stored
    DumpRejected,       // a SysEx of ours was no good dump (`fault`; `controller` if known)
    ReceiveFinished,    // 50 dumps came in (`stored` good, `rejected` bad)
    DumpIgnored,        // a dump came with no receive request before it
    MessageIgnored,     // something else came in (real-time bytes are not reported)
    DumpLost,           // `controller`'s good dump was lost on purpose (SFaults::loseReceived)
  };
  enum class EDumpFault { None, Length, Header, Address, Checksum };

  struct SReport {
    EEvent event = EEvent::MessageIgnored;
    long controller = -1;
    EDumpFault fault = EDumpFault::None;
    std::size_t length = 0;  // of the message that came in
    int stored = 0;
    int rejected = 0;
  };
  using ReportFn = std::function<void(const SReport& report)>;

  // Ways a real device or its cable may misbehave, for tests; -1 (the default) for none.
  // Controllers are given by index (0 to 49).
  struct SFaults {
    long dropDump = -1;      // every transmission leaves out this controller's dump
    long repeatDump = -1;    // ... sends this one twice, in place of the next controller's
    long corruptDump = -1;   // ... sends this one with a wrong checksum
    long loseReceived = -1;  // the first good dump received for it is lost, as on the way
    bool operator==(const SFaults&) const = default;
  };

  CKVXDevice();

  void SetFaults(const SFaults& faults) { mFaults = faults; }

  // Called for everything the device does, on the thread that drives it.
  void SetReportHandler(ReportFn handler) { mReport = std::move(handler); }

  // The device's records, kept as received: a receive followed by a transmit gives back the
  // same bytes.
  const CPatch& GetMemory() const { return mMemory; }
  CPatch& GetMemory() { return mMemory; }
  short LoadPatch(const FSSpec& file);  // 0 on success, the patch file's status otherwise
  short SavePatch(const FSSpec& file);

  // What `message` (a whole SysEx) is as a bulk dump: EDumpFault::None with the controller
  // index, or what is wrong with it.
  EDumpFault CheckDump(std::span<const std::uint8_t> message, long& controller) const;

  bool IsTransmitting() const { return mState == EState::Transmitting; }
  bool IsReceiving() const { return mState == EState::Receiving; }

  // CMidiDeviceModel
  void ReceiveMidi(std::span<const std::uint8_t> bytes, std::uint32_t now) override;
  std::optional<std::uint32_t> NextDueTick() const override;
  bool TakeDueMessage(std::uint32_t now, std::vector<std::uint8_t>& out) override;

  // A line for a log.
  static std::string Describe(const SReport& report);

 private:
  enum class EState { Idle, Transmitting, Receiving };
  using Dump = std::array<std::uint8_t, kBulkDumpSize>;

  void HandleMessage(std::span<const std::uint8_t> message, bool truncated, std::uint32_t now);
  void StartTransmit(std::uint32_t now);
  void ApplyTransmitFaults();
  void StartReceive();
  void TakeDump(std::span<const std::uint8_t> message, bool truncated);
  void StoreDump(long controller, std::span<const std::uint8_t> message);
  void Report(const SReport& report) const;

  CPatch mMemory;
  CMidiStreamParser mParser{kMaxMessageLength};
  ReportFn mReport;
  EState mState = EState::Idle;
  std::vector<Dump> mOutgoing;
  std::vector<long> mOutgoingControllers;  // whose dump each outgoing one is
  SFaults mFaults;
  std::size_t mNextDump = 0;
  std::uint32_t mNextDue = 0;
  int mStored = 0;
  int mRejected = 0;
};

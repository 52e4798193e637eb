// Sending short messages and SysEx: statuses, the preallocated areas, the SysEx slots.
#include "ServiceTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

using namespace kvxtest;

constexpr std::int32_t kInvalidArgument = kMIDIInvalidArgumentErr;

// A SysEx of `length` bytes (at least 2) whose data bytes carry `mark`.
Bytes Sysex(std::size_t length, std::uint8_t mark = 0x11) {
  Bytes bytes(length, mark);
  bytes.front() = 0xF0;
  bytes.back() = 0xF7;
  return bytes;
}

// `count` note-on messages one after the other, cut to `length` bytes.
Bytes Notes(std::size_t length) {
  Bytes bytes;
  for (std::uint8_t i = 0; bytes.size() < length; ++i) {
    bytes.insert(bytes.end(), {0x90, static_cast<std::uint8_t>(i & 0x7F), 0x40});
  }
  bytes.resize(length);
  return bytes;
}

Bytes Joined(const std::vector<std::pair<std::string, Bytes>>& sent) {
  Bytes all;
  for (const auto& [key, bytes] : sent) all.insert(all.end(), bytes.begin(), bytes.end());
  return all;
}

TEST_F(ServiceTest, SendStatuses) {
  enum class EKind { Midi, Sysx, BufferedMidi, BufferedSysx };
  struct SCase {
    const char* name;
    EKind kind;
    long outport;
    bool destinationChosen;
    Bytes bytes;
    long length;  // as passed
    std::int32_t status;
  };
  const SCase cases[] = {
      {"short message", EKind::Midi, 0, true, {0x90, 0x40, 0x7F}, 3, 0},
      {"longest short message", EKind::Midi, 0, true, Notes(255), 255, 0},
      {"short message without destination", EKind::Midi, 0, false, {0x90, 0x40, 0x7F}, 3, -1},
      {"short message to an unknown out-port", EKind::Midi, 1, true, {0x90, 0x40, 0x7F}, 3, -1},
      {"short message to a negative out-port", EKind::Midi, -1, true, {0x90, 0x40, 0x7F}, 3, -1},
      {"short message over the MIDI buffer", EKind::Midi, 0, true, Notes(256), 256, -3},
      {"short message far over it", EKind::Midi, 0, true, Notes(100000), 100000, -3},
      {"negative length", EKind::Midi, 0, true, {0x90}, -1, -3},
      {"SysEx", EKind::Sysx, 0, true, Sysex(141), 141, 0},
      {"SysEx filling its slot", EKind::Sysx, 0, true, Sysex(256), 256, 0},
      {"SysEx over its slot", EKind::Sysx, 0, true, Sysex(257), 257, -3},
      {"SysEx far over it", EKind::Sysx, 0, true, Sysex(70000), 70000, -3},
      {"SysEx without destination", EKind::Sysx, 0, false, Sysex(10), 10, -1},
      {"SysEx of no bytes, refused by the platform", EKind::Sysx, 0, true, {}, 0, kInvalidArgument},
      {"buffered short message", EKind::BufferedMidi, 0, true, {0xC0, 0x05}, 2, 0},
      {"buffered short message over the buffer", EKind::BufferedMidi, 0, true, {}, 256, -3},
      {"buffered SysEx", EKind::BufferedSysx, 0, true, Sysex(20), 20, 0},
      {"buffered SysEx over the buffer", EKind::BufferedSysx, 0, true, {}, 257, -3},
  };
  for (const SCase& row : cases) {
    SCOPED_TRACE(row.name);
    SetUpService(row.destinationChosen ? Settings(0, DestinationID(1)) : "");
    COSXMidiService& service = Service();
    // What lies in the preallocated areas beforehand must stay there when a send is refused.
    std::memset(service.GetMidiBuffer(), 0x5A, COSXMidiService::kMidiBufferSize);
    std::memset(service.GetSysxBuffer(), 0x5A, COSXMidiService::kSysxAreaSize);
    if (row.kind == EKind::BufferedMidi || row.kind == EKind::BufferedSysx) {
      unsigned char* buffer =
          row.kind == EKind::BufferedMidi ? service.GetMidiBuffer() : service.GetSysxBuffer();
      std::copy(row.bytes.begin(), row.bytes.end(), buffer);
    }
    const std::size_t sentBefore = mScript->Sent().size();
    std::int32_t status = 0;
    switch (row.kind) {
      case EKind::Midi:
        status = service.SendMidiMsg(row.outport, row.bytes.data(), row.length);
        break;
      case EKind::Sysx:
        status = service.SendSysxMsg(row.outport, row.bytes.data(), row.length);
        break;
      case EKind::BufferedMidi:
        status = service.SendBufferedMidi(row.outport, row.length);
        break;
      case EKind::BufferedSysx:
        status = service.SendBufferedSysx(row.outport, row.length);
        break;
    }
    EXPECT_EQ(status, row.status);
    if (status == 0) {
      const auto sent = WaitForSent(sentBefore + 1);
      const std::vector<std::pair<std::string, Bytes>> ours(sent.begin() + sentBefore, sent.end());
      EXPECT_EQ(Joined(ours), row.bytes);
      EXPECT_EQ(ours.back().first, "b");
    } else {
      service.Release();  // waits for SysEx sends
      EXPECT_EQ(mScript->Sent().size(), sentBefore);
      if (row.kind == EKind::Midi || row.kind == EKind::BufferedMidi) {
        EXPECT_TRUE(std::all_of(service.GetMidiBuffer(),
                                service.GetMidiBuffer() + COSXMidiService::kMidiBufferSize,
                                [](unsigned char byte) { return byte == 0x5A; }));
      }
    }
    mService.reset();
  }
}

TEST_F(ServiceTest, APlatformErrorComesBackAsTheSendStatus) {
  // The way to the destination, opened when it is chosen, fails; the send meets it again.
  mScript->outputStatus = -4321;
  SetUpService(Settings(0, DestinationID(0)));
  const unsigned char message[] = {0x90, 0x40, 0x7F};
  EXPECT_EQ(Service().SendMidiMsg(0, message, 3), -4321);
}

TEST_F(ServiceTest, ASixthSysExWhileFiveAreInFlightIsRefused) {
  SetUpService(Settings(0, DestinationID(0)));
  System().HoldSysexSends(true);
  std::vector<Bytes> messages;
  for (std::uint8_t i = 0; i < COSXMidiService::kDefaultSysxSlotCount; ++i) {
    messages.push_back(Sysex(100 + i, i));
    ASSERT_EQ(
        Service().SendSysxMsg(0, messages.back().data(), static_cast<long>(messages.back().size())),
        0);
    messages.back()[1] ^= 0x7F;  // the caller's bytes may change once the send is started
  }
  const Bytes sixth = Sysex(30, 6);
  EXPECT_EQ(Service().SendSysxMsg(0, sixth.data(), 30), COSXMidiService::kSendNoSysxSlot);

  System().HoldSysexSends(false);
  const auto sent = WaitForSent(messages.size());
  ASSERT_EQ(sent.size(), messages.size());
  for (std::size_t i = 0; i < sent.size(); ++i) {
    SCOPED_TRACE(i);
    messages[i][1] ^= 0x7F;
    EXPECT_EQ(sent[i].second, messages[i]);
  }
  // The slots come free as their sends end.
  EXPECT_TRUE(WaitUntil([&] { return Service().SendSysxMsg(0, sixth.data(), 30) == 0; }));
  EXPECT_EQ(WaitForSent(messages.size() + 1).back().second, sixth);
}

TEST_F(ServiceTest, ASysExThePlatformRefusesLeavesItsSlotFree) {
  SetUpService(Settings(0, DestinationID(0)));
  System().HoldSysexSends(true);
  const Bytes message = Sysex(12);
  for (int i = 0; i < 2 * COSXMidiService::kDefaultSysxSlotCount; ++i) {
    EXPECT_EQ(Service().SendSysxMsg(0, message.data(), 0), kInvalidArgument);
  }
  for (int i = 0; i < COSXMidiService::kDefaultSysxSlotCount; ++i) {
    EXPECT_EQ(Service().SendSysxMsg(0, message.data(), 12), 0);
  }
  EXPECT_EQ(Service().SendSysxMsg(0, message.data(), 12), COSXMidiService::kSendNoSysxSlot);
  System().HoldSysexSends(false);
}

TEST_F(ServiceTest, ReleasingWithSysExInFlightEndsThemAndFreesTheSlots) {
  SetUpService(Settings(0, DestinationID(0)));
  System().HoldSysexSends(true);
  const Bytes message = Sysex(12);
  for (int i = 0; i < COSXMidiService::kDefaultSysxSlotCount; ++i) {
    ASSERT_EQ(Service().SendSysxMsg(0, message.data(), 12), 0);
  }
  Service().Release();
  System().HoldSysexSends(false);
  ASSERT_EQ(Service().Setup(), 0);
  Service().LoadPreference();
  for (int i = 0; i < COSXMidiService::kDefaultSysxSlotCount; ++i) {
    EXPECT_EQ(Service().SendSysxMsg(0, message.data(), 12), 0);
  }
  EXPECT_EQ(WaitForSent(COSXMidiService::kDefaultSysxSlotCount).size(),
            std::size_t{COSXMidiService::kDefaultSysxSlotCount});
}

TEST_F(ServiceTest, DropoutsTheServerReportsAreCountedFromSetUp) {
  mScript->dropouts = 3;  // before: not the service's
  SetUpService();
  EXPECT_EQ(Service().GetDropoutCount(), 0u);
  mScript->dropouts = 5;
  EXPECT_EQ(Service().GetDropoutCount(), 2u);
}

// Releasing the current service waits until what it sent is out, and only when it sent
// something: a service that sent nothing, or whose sends are out already, goes at once.
TEST_F(ServiceTest, ReleaseWaitsForWhatWasSentAndOnlyThen) {
  struct SRow {
    const char* name;
    bool send;
    int waits;
  };
  const SRow rows[] = {{"nothing sent", false, 0}, {"a message still in flight", true, 1}};
  const Bytes note = {0x90, 0x40, 0x7F};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    mScript->holdSent = true;
    mScript->sentWaits = 0;
    CMidiOperation::SetCurrent(&SetUpService(Settings(0, DestinationID(1))));
    std::thread letOut;
    if (row.send) {
      ASSERT_EQ(Service().SendMidiMsg(0, note.data(), 3), 0);
      ASSERT_EQ(mScript->inFlight.load(), 1);
      // The MIDI system lets the message out only while the release waits for it.
      letOut = std::thread([this] {
        WaitUntil([this] { return mScript->sentWaits.load() > 0; });
        mScript->inFlight = 0;
      });
    }
    CMidiOperation::SetCurrent(nullptr);
    EXPECT_EQ(mScript->inFlight.load(), 0);
    if (letOut.joinable()) letOut.join();
    EXPECT_EQ(mScript->sentWaits.load(), row.waits);
    Service().WaitUntilSent();  // what was sent is out: nothing to wait for again
    EXPECT_EQ(mScript->sentWaits.load(), row.waits);
  }
}

}  // namespace

// Incoming packets: the position flags each packet gets, the messages the bound queue
// delivers, and a whole transmit request to the built-in device answered through the service.
#include "ServiceTestSupport.h"

#include "device/CKVXDevice.h"
#include "framework/core/LPeriodical.h"
#include "support/PatchTestSupport.h"
#include "support/StFastTicks.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace kvxtest;

Bytes Counting(std::uint8_t first, std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>((first + i) & 0x7F);
  return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(ServiceTest, PacketsGetTheirPositionFlagsAndSysExIsJoinedWhole) {
  struct SCase {
    const char* name;
    std::vector<std::vector<Bytes>> lists;  // packet lists, each of packets
    std::vector<SInsertion> insertions;
    std::vector<Bytes> delivered;
  };
  const Bytes longSysex = Concat({{0xF0}, Counting(1, 254), {0xF7}});
  const SCase cases[] = {
      {"a whole SysEx in one packet",
       {{{0xF0, 0x43, 0x10, 0xF7}}},
       {{4, 0}},
       {{0xF0, 0x43, 0x10, 0xF7}}},
      {"a SysEx over three lists",
       {{{0xF0, 0x01, 0x02}}, {{0x03, 0x04}}, {{0x05, 0xF7}}},
       {{3, 1}, {2, 3}, {2, 2}},
       {{0xF0, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7}}},
      {"a SysEx over the packets of one list",
       {{{0xF0, 0x01, 0x02}, {0x03, 0x04}, {0x05, 0xF7}}},
       {{3, 1}, {2, 3}, {2, 2}},
       {{0xF0, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7}}},
      {"the short messages of one packet are one message",
       {{{0x90, 0x40, 0x7F, 0x80, 0x40, 0x00}}, {{0xB0, 0x07, 0x64}}},
       {{6, 0}, {3, 0}},
       {{0x90, 0x40, 0x7F, 0x80, 0x40, 0x00}, {0xB0, 0x07, 0x64}}},
      {"a real-time byte inside a SysEx stays in it",
       {{{0xF0, 0x01}}, {{0xF8}}, {{0x02, 0xF7}}},
       {{2, 1}, {1, 3}, {2, 2}},
       {{0xF0, 0x01, 0xF8, 0x02, 0xF7}}},
      {"the end of a SysEx and a short message after it",
       {{{0xF0, 0x01}}, {{0x02, 0xF7, 0x90, 0x40, 0x7F}}, {{0x80, 0x40, 0x00}}},
       {{2, 1}, {5, 2}, {3, 0}},
       {{0xF0, 0x01, 0x02, 0xF7, 0x90, 0x40, 0x7F}, {0x80, 0x40, 0x00}}},
      {"a short message and the start of a SysEx",
       {{{0x90, 0x40, 0x7F, 0xF0, 0x01}}, {{0x02, 0xF7}}},
       {{5, 1}, {2, 2}},
       {{0x90, 0x40, 0x7F, 0xF0, 0x01, 0x02, 0xF7}}},
      {"a full packet is cut for the queue", {{longSysex}}, {{252, 1}, {4, 2}}, {longSysex}},
      {"a full packet inside a SysEx",
       {{{0xF0, 0x01}}, {Counting(2, 256)}, {{0xF7}}},
       {{2, 1}, {252, 3}, {4, 3}, {1, 2}},
       {Concat({{0xF0, 0x01}, Counting(2, 256), {0xF7}})}},
  };
  for (const SCase& row : cases) {
    SCOPED_TRACE(row.name);
    COSXMidiService service(System(), 0);
    CRecordingQueue queue;
    CMidiOperation::SetMidiInQueue(0, &queue);
    for (const auto& packets : row.lists) {
      const MIDIPacketList list = PacketList(packets);
      COSXMidiService::ReadProc(&list, &service, nullptr);  // in-port 0
    }
    EXPECT_EQ(queue.insertions, row.insertions);
    EXPECT_EQ(queue.TakeMessages(), row.delivered);
  }
}

TEST_F(ServiceTest, PacketsForAnInportWithoutQueueOrOutsideTheTableAreDropped) {
  COSXMidiService service(System(), 0);
  CRecordingQueue queue;
  const MIDIPacketList list = PacketList({{0x90, 0x40, 0x7F}});
  service.HandleReadProc(&list, 0);  // nothing bound yet
  CMidiOperation::SetMidiInQueue(0, &queue);
  service.HandleReadProc(&list, 1);
  service.HandleReadProc(&list, -1);
  service.HandleReadProc(nullptr, 0);
  EXPECT_TRUE(queue.insertions.empty());
  service.HandleReadProc(&list, 0);
  EXPECT_EQ(queue.TakeMessages(), std::vector<Bytes>{(Bytes{0x90, 0x40, 0x7F})});
}

TEST_F(ServiceTest, WhatAConnectedSourceSendsReachesTheBoundQueue) {
  SetUpService(Settings(SourceID(1), 0));
  CRecordingQueue queue;
  CMidiOperation::SetMidiInQueue(0, &queue);
  const Bytes sysex = Concat({{0xF0}, Counting(0, 600), {0xF7}});
  Deliver("b", sysex);
  Deliver("b", {0x90, 0x40, 0x7F});
  EXPECT_EQ(queue.TakeMessages(), (std::vector<Bytes>{sysex, {0x90, 0x40, 0x7F}}));
}

TEST_F(ServiceTest, ASysExCutOffByAReconnectionDoesNotSwallowWhatFollows) {
  SetUpService(Settings(SourceID(1), 0));
  CRecordingQueue queue;
  CMidiOperation::SetMidiInQueue(0, &queue);
  Deliver("b", {0xF0, 0x01, 0x02});
  Service().SelectInportDeviceMenu(0, 3);  // the same source, connected anew
  Deliver("b", {0x90, 0x40, 0x7F});
  EXPECT_EQ(queue.insertions.back(), (SInsertion{3, 0}));
}

TEST(ServiceWithBuiltInDevice, ATransmitRequestBringsFiftyDumpsThroughTheQueue) {
  StMidiTables tables;
  kvxtest::StFastTicks ticks;
  CMidiSystem::Options options;
  options.system = EMidiSystemChoice::None;
  options.builtInDevice = [] { return std::make_unique<CKVXDevice>(); };
  CMidiSystem system(std::move(options));
  COSXMidiService service(system, 0);
  ASSERT_EQ(service.Setup(), 0);
  using EMatch = COSXMidiService::EEndpointMatch;
  ASSERT_EQ(service.SelectInportEndpoint(0, CMidiSystem::kBuiltInDeviceName), EMatch::Found);
  ASSERT_EQ(service.SelectOutportEndpoint(0, CMidiSystem::kBuiltInDeviceName), EMatch::Found);
  ASSERT_TRUE(service.ValidPort(0, 0));

  CRecordingHandler handler;
  CMidiInQueue queue;
  ASSERT_TRUE(queue.AllocateQueue(2048));
  queue.AllocateMsgBuffer(256);
  queue.SetMidiInHandler(&handler);
  queue.StartQueueWatching();
  CMidiOperation::SetMidiInQueue(0, &queue);
  CMidiOperation::SetInportEnabled(0, true);

  ASSERT_EQ(service.SendSysxMsg(0, kBulkTransRequest, kBulkRequestSize), 0);
  ASSERT_TRUE(WaitUntil([&] {
    LPeriodical::DevoteTimeToRepeaters(EventRecord{});
    return handler.Delivered() >= kControllerCount;
  }));
  ASSERT_EQ(handler.Messages().size(), static_cast<std::size_t>(kControllerCount));
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(handler.Messages()[static_cast<std::size_t>(index)], MakeDump(index, SPatchParam{}));
  }
  EXPECT_EQ(queue.GetDroppedCount(), 0u);
}

}  // namespace

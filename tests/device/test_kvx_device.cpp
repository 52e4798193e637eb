#include "device/CKVXDevice.h"
#include "support/PatchTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using kvxtest::Bytes;
using EEvent = CKVXDevice::EEvent;
using EDumpFault = CKVXDevice::EDumpFault;

const Bytes kTransmitRequest(kBulkTransRequest, kBulkTransRequest + kBulkRequestSize);
const Bytes kReceiveRequest(kBulkReceiveRequest, kBulkReceiveRequest + kBulkRequestSize);

struct SSentDump {
  std::uint32_t tick;
  Bytes bytes;
};

// Lets the device run from tick `from` to tick `to`, one tick at a time or in the given
// steps, and collects what it sends with the tick it was taken at.
std::vector<SSentDump> RunTicks(CKVXDevice& device, std::uint32_t from, std::uint32_t to,
                                const std::vector<std::uint32_t>& steps = {1}) {
  std::vector<SSentDump> sent;
  Bytes out;
  std::size_t step = 0;
  for (std::uint32_t now = from; static_cast<std::int32_t>(to - now) >= 0;
       now += steps[step++ % steps.size()]) {
    while (device.TakeDueMessage(now, out)) sent.push_back({now, out});
  }
  return sent;
}

class KVXDeviceTest : public ::testing::Test {
 protected:
  KVXDeviceTest() {
    device.SetReportHandler([this](const CKVXDevice::SReport& report) { reports.push_back(report); });
  }

  void Send(const Bytes& bytes, std::uint32_t now = 0) { device.ReceiveMidi(bytes, now); }

  std::vector<EEvent> Events() const {
    std::vector<EEvent> events;
    for (const auto& report : reports) events.push_back(report.event);
    return events;
  }

  CKVXDevice device;
  std::vector<CKVXDevice::SReport> reports;
};

// --- transmitting

TEST_F(KVXDeviceTest, ATransmitRequestSendsFiftyValidDumpsInOrderFourTicksApart) {
  std::mt19937 random(7);
  for (long index = 0; index < kControllerCount; ++index) {
    *device.GetMemory().GetParam(index) = kvxtest::RandomRecord(random);
  }
  Send(kTransmitRequest, 1000);
  ASSERT_TRUE(device.IsTransmitting());
  const auto sent = RunTicks(device, 1000, 1000 + 60 * 5);
  ASSERT_EQ(sent.size(), 50u);
  CPatch reader;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sent[i].bytes, kvxtest::MakeDump(static_cast<long>(i), *device.GetMemory().GetParam(static_cast<long>(i))));
    EXPECT_EQ(reader.CheckBulkSysx(sent[i].bytes.data(), static_cast<long>(sent[i].bytes.size())),
              static_cast<long>(i));
    if (i > 0) {
      EXPECT_GE(sent[i].tick - sent[i - 1].tick, CKVXDevice::kDumpGapTicks);
    }
  }
  EXPECT_EQ(sent.front().tick, 1000u);  // the first dump goes at once
  EXPECT_EQ(sent.back().tick, 1000u + 49 * CKVXDevice::kDumpGapTicks);
  EXPECT_FALSE(device.IsTransmitting());
  EXPECT_FALSE(device.NextDueTick().has_value());
  EXPECT_EQ(reports.back().event, EEvent::TransmitFinished);
}

TEST_F(KVXDeviceTest, PacingCountsFromTheDumpActuallySent) {
  Send(kTransmitRequest, 10);
  // A driver that looks at the device late and irregularly.
  const auto sent = RunTicks(device, 10, 10 + 2000, {3, 1, 7, 2, 5});
  ASSERT_EQ(sent.size(), 50u);
  for (std::size_t i = 1; i < sent.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_GE(sent[i].tick - sent[i - 1].tick, CKVXDevice::kDumpGapTicks);
  }
}

TEST_F(KVXDeviceTest, NextDueTickTellsWhenToLookAgain) {
  EXPECT_FALSE(device.NextDueTick().has_value());
  Send(kTransmitRequest, 500);
  EXPECT_EQ(device.NextDueTick(), 500u);
  Bytes out;
  ASSERT_TRUE(device.TakeDueMessage(502, out));
  EXPECT_EQ(device.NextDueTick(), 506u);
  EXPECT_FALSE(device.TakeDueMessage(505, out));
  EXPECT_TRUE(device.TakeDueMessage(506, out));
}

TEST_F(KVXDeviceTest, PacingSurvivesTheTickCountWrapping) {
  const std::uint32_t start = 0xFFFFFFF0u;
  Send(kTransmitRequest, start);
  const auto sent = RunTicks(device, start, start + 300);
  ASSERT_EQ(sent.size(), 50u);
  for (std::size_t i = 1; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].tick - sent[i - 1].tick, CKVXDevice::kDumpGapTicks);
  }
}

TEST_F(KVXDeviceTest, RequestsFromAnyDeviceIDAreAnswered) {
  Bytes request = kTransmitRequest;
  request[2] = 0x11;
  Send(request);
  EXPECT_TRUE(device.IsTransmitting());
}

TEST_F(KVXDeviceTest, AReceiveRequestStopsATransmission) {
  Send(kTransmitRequest, 0);
  RunTicks(device, 0, 8);
  Send(kReceiveRequest, 9);
  EXPECT_FALSE(device.IsTransmitting());
  EXPECT_TRUE(device.IsReceiving());
  EXPECT_TRUE(RunTicks(device, 9, 400).empty());
}

// --- receiving

TEST_F(KVXDeviceTest, ReceivedDumpsAreStoredAndCounted) {
  Send(kReceiveRequest);
  ASSERT_TRUE(device.IsReceiving());
  std::mt19937 random(11);
  std::vector<SPatchParam> records;
  for (long index = 0; index < kControllerCount; ++index) {
    records.push_back(kvxtest::RandomRecord(random));
    Send(kvxtest::MakeDump(index, records.back()));
  }
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_TRUE(kvxtest::SameDeviceImage(*device.GetMemory().GetParam(index),
                                         records[static_cast<std::size_t>(index)]));
  }
  EXPECT_FALSE(device.IsReceiving());
  ASSERT_EQ(reports.back().event, EEvent::ReceiveFinished);
  EXPECT_EQ(reports.back().stored, 50);
  EXPECT_EQ(reports.back().rejected, 0);
}

Bytes DumpWith(long index, const std::function<void(Bytes&)>& damage) {
  Bytes dump = kvxtest::MakeDump(index, kvxtest::MakeRecord(7, 3, {7, 0, 127}));
  damage(dump);
  return dump;
}

void FixChecksum(Bytes& dump) { dump[139] = kvxtest::Checksum7(dump.data() + 7, dump.data() + 139); }

struct SDamagedDumpRow {
  const char* name;
  Bytes dump;
  EEvent event;
  EDumpFault fault;
  long controller;  // as reported
};

const std::vector<SDamagedDumpRow> kDamagedDumpRows = {
    {"good", DumpWith(9, [](Bytes&) {}), EEvent::DumpStored, EDumpFault::None, 9},
    {"another device ID", DumpWith(9, [](Bytes& d) { d[2] = 0x11; }), EEvent::DumpStored,
     EDumpFault::None, 9},
    {"checksum off by one", DumpWith(9, [](Bytes& d) { d[139] = (d[139] + 1) & 0x7F; }),
     EEvent::DumpRejected, EDumpFault::Checksum, 9},
    {"a data byte changed", DumpWith(9, [](Bytes& d) { d[20] ^= 0x01; }), EEvent::DumpRejected,
     EDumpFault::Checksum, 9},
    {"other manufacturer: not for this device", DumpWith(9, [](Bytes& d) { d[1] = 0x7E; }),
     EEvent::MessageIgnored, EDumpFault::None, -1},
    {"other model", DumpWith(9, [](Bytes& d) { d[5] = 0x5D; }), EEvent::DumpRejected,
     EDumpFault::Header, -1},
    {"command not data set", DumpWith(9, [](Bytes& d) { d[6] = 0x11; }), EEvent::DumpRejected,
     EDumpFault::Header, -1},
    {"address beyond the last controller",
     DumpWith(9, [](Bytes& d) { d[9] = 0x32; FixChecksum(d); }), EEvent::DumpRejected,
     EDumpFault::Address, -1},
    {"address between controllers",
     DumpWith(9, [](Bytes& d) { d[10] = 0x01; FixChecksum(d); }), EEvent::DumpRejected,
     EDumpFault::Address, -1},
    {"one byte short", DumpWith(9, [](Bytes& d) { d.erase(d.begin() + 100); }),
     EEvent::DumpRejected, EDumpFault::Length, -1},
    {"one byte long", DumpWith(9, [](Bytes& d) { d.insert(d.begin() + 100, 0x00); }),
     EEvent::DumpRejected, EDumpFault::Length, -1},
};

TEST_F(KVXDeviceTest, EachDumpIsCheckedAndBadOnesAreReported) {
  for (const auto& row : kDamagedDumpRows) {
    SCOPED_TRACE(row.name);
    CKVXDevice fresh;
    std::vector<CKVXDevice::SReport> seen;
    fresh.SetReportHandler([&seen](const CKVXDevice::SReport& report) { seen.push_back(report); });
    fresh.ReceiveMidi(kReceiveRequest, 0);
    fresh.ReceiveMidi(row.dump, 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].event, row.event);
    EXPECT_EQ(seen[1].fault, row.fault);
    EXPECT_EQ(seen[1].controller, row.controller);
    EXPECT_EQ(seen[1].length, row.dump.size());
    const bool stored = row.event == EEvent::DumpStored;
    EXPECT_EQ(fresh.GetMemory().GetParam(9)->msgType, stored ? 7 : 0);
    EXPECT_EQ(fresh.GetMemory().GetParam(9)->data[2], stored ? 127 : 0);
    EXPECT_EQ(CKVXDevice::Describe(seen[1]).find("rejected") != std::string::npos,
              row.event == EEvent::DumpRejected);
  }
}

TEST_F(KVXDeviceTest, ABadDumpCountsTowardsTheFiftyAndLeavesItsRecord) {
  device.GetMemory().GetParam(3)->msgType = 12;
  Send(kReceiveRequest);
  for (long index = 0; index < kControllerCount; ++index) {
    Bytes dump = kvxtest::MakeDump(index, kvxtest::MakeRecord(1, 0, {60, 0, 127}));
    if (index == 3) dump[139] ^= 0x01;
    Send(dump);
  }
  EXPECT_EQ(device.GetMemory().GetParam(3)->msgType, 12);
  EXPECT_EQ(device.GetMemory().GetParam(4)->msgType, 1);
  ASSERT_EQ(reports.back().event, EEvent::ReceiveFinished);
  EXPECT_EQ(reports.back().stored, 49);
  EXPECT_EQ(reports.back().rejected, 1);
}

TEST_F(KVXDeviceTest, DumpsWithoutAReceiveRequestAreIgnored) {
  Send(kvxtest::MakeDump(0, kvxtest::MakeRecord(7, 0, {1, 2, 3})));
  EXPECT_EQ(device.GetMemory().GetParam(0)->msgType, 0);
  EXPECT_EQ(Events(), std::vector<EEvent>{EEvent::DumpIgnored});
}

TEST_F(KVXDeviceTest, OtherMessagesChangeNothing) {
  Send(kReceiveRequest);
  Send({0x90, 0x40, 0x7F, 0xF8, 0xFE});
  Send({0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7});
  Send({0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5D, 0x12, 0x00, 0xF7});  // ours, but no dump
  EXPECT_EQ(Events(), (std::vector<EEvent>{EEvent::ReceiveRequested, EEvent::MessageIgnored,
                                           EEvent::MessageIgnored, EEvent::DumpRejected}));
  EXPECT_TRUE(device.IsReceiving());
}

TEST_F(KVXDeviceTest, DumpsArrivingInPiecesWithClockBytesAreJoined) {
  Send(kReceiveRequest);
  const Bytes dump = kvxtest::MakeDump(20, kvxtest::MakeRecord(20, 1, {0xF0, 0x41, 0xF7}));
  for (std::size_t at = 0; at < dump.size(); at += 16) {
    Bytes piece(dump.begin() + static_cast<std::ptrdiff_t>(at),
                dump.begin() + static_cast<std::ptrdiff_t>(std::min(at + 16, dump.size())));
    piece.push_back(0xF8);  // MIDI clock in the middle of the dump
    Send(piece);
  }
  EXPECT_EQ(Events(), (std::vector<EEvent>{EEvent::ReceiveRequested, EEvent::DumpStored}));
  EXPECT_EQ(device.GetMemory().GetParam(20)->msgType, 20);
  EXPECT_EQ(device.GetMemory().GetParam(20)->data[1], 0x41);
}

TEST_F(KVXDeviceTest, AnOverlongSysexIsRejectedAsTooLong) {
  Send(kReceiveRequest);
  Bytes huge(CKVXDevice::kMaxMessageLength + 10, 0x01);
  huge.front() = 0xF0;
  huge[1] = 0x7D;
  huge.back() = 0xF7;
  Send(huge);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1].event, EEvent::DumpRejected);
  EXPECT_EQ(reports[1].fault, EDumpFault::Length);
}

// --- round trip

TEST_F(KVXDeviceTest, WhatWasReceivedIsTransmittedByteForByte) {
  std::mt19937 random(2024);
  std::vector<Bytes> dumps;
  Send(kReceiveRequest);
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam record = kvxtest::RandomRecord(random);
    if (index % 10 == 0) record.msgType = 21;  // an alternate code the editor would fold
    dumps.push_back(kvxtest::MakeDump(index, record));
    Send(dumps.back(), 100);
  }
  Send(kTransmitRequest, 200);
  const auto sent = RunTicks(device, 200, 600);
  ASSERT_EQ(sent.size(), dumps.size());
  for (std::size_t i = 0; i < sent.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sent[i].bytes, dumps[i]);
  }
}

TEST_F(KVXDeviceTest, RecordsGoToAPatchFileAndComeBack) {
  kvxtest::StTempFolder folder;
  std::mt19937 random(99);
  Send(kReceiveRequest);
  std::vector<Bytes> dumps;
  for (long index = 0; index < kControllerCount; ++index) {
    dumps.push_back(kvxtest::MakeDump(index, kvxtest::RandomRecord(random)));
    Send(dumps.back());
  }
  ASSERT_EQ(device.SavePatch(folder.Spec("device.mid")), 0);

  CKVXDevice loaded;
  ASSERT_EQ(loaded.LoadPatch(folder.Spec("device.mid")), 0);
  loaded.ReceiveMidi(kTransmitRequest, 0);
  const auto sent = RunTicks(loaded, 0, 400);
  ASSERT_EQ(sent.size(), dumps.size());
  for (std::size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(sent[i].bytes, dumps[i]);
  EXPECT_NE(loaded.LoadPatch(folder.Spec("missing.mid")), 0);
}

TEST(KVXDeviceDescribe, EveryEventHasALine) {
  const CKVXDevice::SReport reports[] = {
      {EEvent::TransmitRequested}, {EEvent::DumpSent, 0}, {EEvent::TransmitFinished},
      {EEvent::ReceiveRequested}, {EEvent::DumpStored, 49}, {EEvent::DumpRejected, -1, EDumpFault::Header, 141},
      {EEvent::ReceiveFinished, -1, EDumpFault::None, 0, 49, 1}, {EEvent::DumpIgnored},
      {EEvent::MessageIgnored, -1, EDumpFault::None, 3}};
  std::map<std::string, int> lines;
  for (const auto& report : reports) ++lines[CKVXDevice::Describe(report)];
  EXPECT_EQ(lines.size(), std::size(reports));
  EXPECT_EQ(CKVXDevice::Describe({EEvent::DumpStored, 49}), "<- dump for AFT (controller 49): stored");
  EXPECT_EQ(CKVXDevice::Describe({EEvent::DumpRejected, -1, EDumpFault::Header, 141}),
            "<- dump rejected (141 bytes): wrong header");
  EXPECT_EQ(CKVXDevice::Describe({EEvent::ReceiveFinished, -1, EDumpFault::None, 0, 49, 1}),
            "-- 50 dumps received: 49 stored, 1 rejected");
}

}  // namespace

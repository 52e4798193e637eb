#include "document/CPatch.h"

#include "support/PatchTestSupport.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

using namespace kvxtest;

namespace {

// A 141-byte dump: `start` (header, address, leading nibble bytes), zeros up to offset 138,
// then the checksum and F7.
Bytes Golden(Bytes start, std::uint8_t checksum) {
  start.resize(139, 0x00);
  start.push_back(checksum);
  start.push_back(0xF7);
  return start;
}

Bytes MakeBulk(const CPatch& patch, long index) {
  Bytes dump(kBulkDumpSize, 0xEE);
  EXPECT_EQ(patch.MakeBulkSysx(index, dump.data()), kBulkDumpSize);
  return dump;
}

SPatchParam RandomImageRecord(std::mt19937& random) {
  SPatchParam record = RandomRecord(random);
  std::memset(record.name, 0, sizeof record.name);
  return record;
}

}  // namespace

// --- fixed messages

TEST(BulkDump, HeadersAndRequests) {
  EXPECT_EQ(Bytes(kBulkHeader, kBulkHeader + 7), (Bytes{0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12}));
  EXPECT_EQ(Bytes(kBulkHeader_100, kBulkHeader_100 + 6), (Bytes{0xF0, 0x7D, 0x10, 0x00, 0x4E, 0x12}));
  EXPECT_EQ(Bytes(kBulkTransRequest, kBulkTransRequest + kBulkRequestSize),
            (Bytes{0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x01, 0x00, 0xF7}));
  EXPECT_EQ(Bytes(kBulkReceiveRequest, kBulkReceiveRequest + kBulkRequestSize),
            (Bytes{0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x03, 0x7E, 0xF7}));
  // Both requests carry the checksum of their address and data byte.
  EXPECT_EQ(Checksum7(kBulkTransRequest + 7, kBulkTransRequest + 12), kBulkTransRequest[12]);
  EXPECT_EQ(Checksum7(kBulkReceiveRequest + 7, kBulkReceiveRequest + 12), kBulkReceiveRequest[12]);
}

// --- building

TEST(BulkDump, EmptyControllerZeroGivesChecksumZero) {
  CPatch patch;
  EXPECT_EQ(MakeBulk(patch, 0), Golden({0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12, 0x00, 0x00, 0x00, 0x00}, 0x00));
}

TEST(BulkDump, EmptyControllerOneGivesChecksum7F) {
  CPatch patch;
  EXPECT_EQ(MakeBulk(patch, 1), Golden({0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12, 0x00, 0x00, 0x01, 0x00}, 0x7F));
}

TEST(BulkDump, ControlChangeOnS1) {
  CPatch patch;
  const SPatchParam cc = MakeRecord(7, 0, {7, 0, 127});
  patch.SetParam(9, &cc);
  const Bytes expected = Golden(
      {0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12,  // header
       0x00, 0x00, 0x09, 0x00,                    // address of S1
       0x00, 0x07,                                // msgType 7
       0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // isEncoder, options, port, channel
       0x00, 0x07, 0x00, 0x00, 0x07, 0x0F},       // data 7, 0, 127
      0x53);
  EXPECT_EQ(MakeBulk(patch, 9), expected);
}

TEST(BulkDump, EveryDumpIsWellFormed) {
  std::mt19937 random(20240601);
  CPatch patch;
  for (long index = 0; index < kControllerCount; ++index) *patch.GetParam(index) = RandomRecord(random);
  patch.SetVersion(100);  // building always uses the current format
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    const Bytes dump = MakeBulk(patch, index);
    EXPECT_TRUE(std::equal(kBulkHeader, kBulkHeader + 7, dump.begin()));
    EXPECT_EQ(dump[7], 0x00);
    EXPECT_EQ(dump[8], 0x00);
    EXPECT_EQ(dump[9], index);
    EXPECT_EQ(dump[10], 0x00);
    EXPECT_TRUE(std::all_of(dump.begin() + 11, dump.begin() + 89, [](std::uint8_t b) { return b <= 0x0F; }));
    EXPECT_TRUE(std::all_of(dump.begin() + 89, dump.begin() + 139, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(dump[139], Checksum7(dump.data() + 7, dump.data() + 139));
    EXPECT_EQ(dump[140], 0xF7);
  }
}

TEST(BulkDump, MakeBulkSysxRefusesInvalidIndex) {
  CPatch patch;
  Bytes dump(kBulkDumpSize, 0xEE);
  EXPECT_EQ(patch.MakeBulkSysx(50, dump.data()), 0);
  EXPECT_EQ(patch.MakeBulkSysx(-1, dump.data()), 0);
  EXPECT_EQ(dump, Bytes(kBulkDumpSize, 0xEE));
}

// --- recognising

struct SCheckRow {
  const char* name;
  std::uint32_t version;
  std::function<Bytes()> message;
  bool header;    // IsKVXSysx
  long expected;  // CheckBulkSysx
};

TEST(BulkDump, CheckBulkSysx) {
  const SPatchParam empty{};
  auto dump = [&](long index) { return MakeDump(index, empty); };
  auto changed = [&](long index, std::size_t pos, std::uint8_t value) {
    return [=] {
      Bytes bytes = dump(index);
      bytes[pos] = value;
      return bytes;
    };
  };
  auto resized = [&](long index, std::size_t size) {
    return [=] {
      Bytes bytes = dump(index);
      bytes.resize(size, 0x55);
      return bytes;
    };
  };
  auto old = [&](long oldIndex) { return [=] { return MakeOldDump(oldIndex, empty); }; };

  const SCheckRow rows[] = {
      {"controller 0", 200, [&] { return dump(0); }, true, 0},
      {"controller 49", 200, [&] { return dump(49); }, true, 49},
      {"device ID 0x11", 200, changed(9, 2, 0x11), true, 9},
      {"device ID 0x7F", 200, changed(9, 2, 0x7F), true, 9},
      {"manufacturer 0x41", 200, changed(0, 1, 0x41), false, -1},
      {"model byte 3", 200, changed(0, 3, 0x01), false, -1},
      {"model byte 4", 200, changed(0, 4, 0x01), false, -1},
      {"model byte 5", 200, changed(0, 5, 0x5D), false, -1},
      {"command 0x11", 200, changed(0, 6, 0x11), false, -1},
      {"no F0", 200, changed(0, 0, 0xF7), false, -1},
      {"wrong checksum", 200, changed(3, 139, 0x12), true, 3},
      {"no final F7", 200, changed(3, 140, 0x00), true, 3},
      {"139 bytes", 200, resized(4, 139), false, -1},
      {"140 bytes", 200, resized(4, 140), true, 4},
      {"300 bytes", 200, resized(4, 300), true, 4},
      {"address 00 00 32 00", 200, changed(0, 9, 0x32), true, -1},
      {"address 00 01 00 00", 200, changed(0, 8, 0x01), true, -1},
      {"address 00 00 05 01", 200, changed(5, 10, 0x01), true, -1},
      {"address 01 00 05 00", 200, changed(5, 7, 0x01), true, -1},
      {"old dump in the current format", 200, old(3), false, -1},
      {"old index 0", 100, old(0), true, 0},
      {"old index 16", 100, old(16), true, 16},
      {"old index 26", 100, old(26), true, 26},
      {"old address 00 00 1B 00", 100, old(27), true, -1},
      {"current dump in the old format", 100, [&] { return dump(3); }, false, -1},
  };
  for (const SCheckRow& row : rows) {
    SCOPED_TRACE(row.name);
    CPatch patch;
    patch.SetVersion(row.version);
    const Bytes message = row.message();
    EXPECT_EQ(patch.CheckBulkSysx(message.data(), static_cast<long>(message.size())), row.expected);
    EXPECT_EQ(patch.IsKVXSysx(message.data(), static_cast<long>(message.size())), row.header);
  }
}

TEST(BulkDump, NothingIsNoDump) {
  CPatch patch;
  EXPECT_FALSE(patch.IsKVXSysx(nullptr, 141));
  EXPECT_EQ(patch.CheckBulkSysx(nullptr, 141), -1);
  const std::uint8_t note[3] = {0x90, 0x3C, 0x40};
  EXPECT_EQ(patch.CheckBulkSysx(note, 3), -1);
  EXPECT_EQ(patch.CheckBulkSysx(note, -5), -1);
}

// --- unpacking

TEST(BulkDump, RandomRecordsSurviveTheWire) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    const long index = static_cast<long>(random() % kControllerCount);
    SCOPED_TRACE(index);
    const SPatchParam record = RandomImageRecord(random);
    const Bytes dump = MakeDump(index, record);
    CPatch patch;
    ASSERT_EQ(patch.CheckBulkSysx(dump.data(), static_cast<long>(dump.size())), index);
    patch.ExtractBulkData(index, dump.data());
    EXPECT_TRUE(SameRecord(*patch.GetParam(index), record));
  }
}

TEST(BulkDump, ExtractWritesTheRecordDirectly) {
  CPatch patch;
  SetName(*patch.GetParam(30), "Resonance");
  CRecordingListener listener(patch);

  // A record that SetParam would normalise: junk behind the payload, PC with port and options.
  SPatchParam raw = MakeRecord(10, 5, {0, 127, 9, 9, 9});
  raw.isEncoder = 1;
  raw.options = 0xF3;
  raw.outputPort = 2;
  const Bytes dump = MakeDump(30, raw);
  patch.ExtractBulkData(30, dump.data());

  SPatchParam expected = raw;
  SetName(expected, "Resonance");
  EXPECT_TRUE(SameRecord(*patch.GetParam(30), expected));
  EXPECT_TRUE(listener.Messages().empty());
  EXPECT_FALSE(patch.IsModified());
}

struct SFoldRow {
  std::uint8_t received;
  std::uint8_t stored;
};

TEST(BulkDump, AlternateCodesBecomeTheirPartners) {
  const SFoldRow rows[] = {
      {0, 0},   {1, 1},   {2, 1},   {3, 3},   {4, 3},   {5, 5},   {6, 5},   {7, 7},
      {8, 7},   {9, 9},   {10, 10}, {11, 11}, {12, 12}, {13, 13}, {14, 14}, {15, 15},
      {16, 15}, {17, 17}, {18, 17}, {19, 19}, {20, 20}, {21, 20}, {22, 22}, {23, 22},
      {24, 24}, {25, 25}, {0xFF, 0xFF},
  };
  for (const SFoldRow& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.received));
    const Bytes dump = MakeDump(2, MakeRecord(row.received, 1, {1, 2, 3}));
    CPatch patch;
    patch.ExtractBulkData(2, dump.data());
    EXPECT_EQ(patch.GetParam(2)->msgType, row.stored);
    EXPECT_EQ(patch.GetParam(2)->channel, 1);
  }
}

TEST(BulkDump, OnlyLowNibblesCount) {
  std::mt19937 random(99);
  const SPatchParam record = RandomImageRecord(random);
  Bytes dump = MakeDump(17, record);
  for (std::size_t pos = 11; pos < 89; ++pos) dump[pos] |= static_cast<std::uint8_t>(0x10 << (pos % 3));
  ASSERT_EQ(dump[11] & 0xF0, 0x40);
  CPatch patch;
  patch.ExtractBulkData(17, dump.data());
  EXPECT_TRUE(SameRecord(*patch.GetParam(17), record));
}

TEST(BulkDump, ExactlyTheRequiredBytesAreRead) {
  // Heap blocks of exactly 140 bytes: the sanitizer build catches any read behind them.
  const SPatchParam cc = MakeRecord(7, 0, {7, 0, 127});
  Bytes current = MakeDump(9, cc);
  current.resize(140);
  current.shrink_to_fit();
  CPatch patch;
  patch.ProcessMessage(current.data(), static_cast<long>(current.size()));
  EXPECT_TRUE(SameDeviceImage(*patch.GetParam(9), cc));

  Bytes old = MakeOldDump(9, cc);
  old.shrink_to_fit();
  CPatch importer;
  importer.SetVersion(100);
  importer.ProcessMessage(old.data(), static_cast<long>(old.size()));
  EXPECT_TRUE(SameDeviceImage(*importer.GetParam(10), cc));
}

TEST(BulkDump, LongMessageIsReadFromItsStart) {
  const SPatchParam note = MakeRecord(1, 3, {60, 127, 1});
  Bytes message = MakeDump(22, note);
  message.resize(300, 0x0F);
  CPatch patch;
  patch.ProcessMessage(message.data(), static_cast<long>(message.size()));
  EXPECT_TRUE(SameRecord(*patch.GetParam(22), note));
}

// --- the older format

struct SOldIndexRow {
  long oldIndex;
  long current;
  const char* descriptor;
};

TEST(BulkDump, OldControllersMoveToTheirRows) {
  const SOldIndexRow rows[] = {
      {0, 0, "R1"},   {7, 7, "R8"},   {8, 9, "S1"},   {15, 16, "S8"}, {16, 27, "B1"},
      {21, 32, "B6"}, {22, 41, "L1"}, {24, 43, "L3"}, {25, 45, "P1"}, {26, 46, "P2"},
  };
  for (const SOldIndexRow& row : rows) {
    SCOPED_TRACE(row.descriptor);
    const SPatchParam record = MakeRecord(7, 2, {static_cast<std::uint8_t>(row.oldIndex), 0, 127});
    const Bytes dump = MakeOldDump(row.oldIndex, record);
    CPatch patch;
    patch.SetVersion(100);
    const long index = patch.CheckBulkSysx(dump.data(), static_cast<long>(dump.size()));
    ASSERT_EQ(index, row.oldIndex);
    EXPECT_EQ(patch.GetDumpTargetIndex(index), row.current);
    patch.ExtractBulkData(index, dump.data());
    EXPECT_TRUE(SameRecord(*patch.GetParam(row.current), record));
    EXPECT_EQ(Text(patch.GetControllerDescriptor(row.current)), row.descriptor);
    for (long other = 0; other < kControllerCount; ++other) {
      if (other == row.current) continue;
      EXPECT_EQ(patch.GetAssignMessage(other), 0) << other;
    }
  }
}

TEST(BulkDump, OldMappingCoversEveryOldIndexOnce) {
  CPatch patch;
  patch.SetVersion(100);
  std::vector<long> targets;
  for (long oldIndex = 0; oldIndex < 27; ++oldIndex) targets.push_back(patch.GetDumpTargetIndex(oldIndex));
  const std::vector<long> expected = {0,  1,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 13, 14,
                                      15, 16, 27, 28, 29, 30, 31, 32, 41, 42, 43, 45, 46};
  EXPECT_EQ(targets, expected);
  EXPECT_EQ(patch.GetDumpTargetIndex(27), -1);
  EXPECT_EQ(patch.GetDumpTargetIndex(-1), -1);
}

// --- receiving

TEST(BulkDump, ProcessMessageStoresCountsAndAnnounces) {
  CPatch patch;
  CRecordingListener listener(patch);
  const SPatchParam a = MakeRecord(7, 0, {1, 2, 3});
  const SPatchParam b = MakeRecord(12, 9, {5});
  Bytes first = MakeDump(4, a);
  Bytes second = MakeDump(4, b);
  second[2] = 0x11;  // another device ID
  const Bytes third = MakeDump(49, b);

  patch.ProcessMessage(first.data(), static_cast<long>(first.size()));
  EXPECT_TRUE(patch.IsModified());
  patch.ProcessMessage(second.data(), static_cast<long>(second.size()));
  patch.ProcessMessage(third.data(), static_cast<long>(third.size()));

  EXPECT_EQ(patch.GetReceivedCount(), 2) << "a controller that arrives twice counts once";
  EXPECT_TRUE(SameDeviceImage(*patch.GetParam(4), b));
  EXPECT_TRUE(SameDeviceImage(*patch.GetParam(49), b));
  EXPECT_EQ(listener.IndicesOf(msg_ParamReceived), (std::vector<long>{4, 4, 49}));
  EXPECT_EQ(listener.Messages().size(), 3u);
}

TEST(BulkDump, ProcessMessageDropsEverythingElse) {
  const SPatchParam cc = MakeRecord(7, 0, {7, 0, 127});
  Bytes shortDump = MakeDump(0, cc);
  shortDump.resize(139);
  Bytes foreignAddress = MakeDump(0, cc);
  foreignAddress[9] = 0x40;
  const Bytes gmOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  const Bytes note = {0x90, 0x3C, 0x40};
  const Bytes old = MakeOldDump(0, cc);
  for (const Bytes* message : std::vector<const Bytes*>{&shortDump, &foreignAddress, &gmOn, &note, &old}) {
    CPatch patch;
    CRecordingListener listener(patch);
    patch.ProcessMessage(message->data(), static_cast<long>(message->size()));
    EXPECT_FALSE(patch.IsModified());
    EXPECT_EQ(patch.GetReceivedCount(), 0);
    EXPECT_TRUE(listener.Messages().empty());
    EXPECT_EQ(patch.GetAssignMessage(0), 0);
  }
}

TEST(BulkDump, ProcessMessageOfOldDumpAnnouncesTheRowItFilled) {
  CPatch patch;
  patch.SetVersion(100);
  CRecordingListener listener(patch);
  const Bytes dump = MakeOldDump(16, MakeRecord(1, 0, {36, 100, 0}));
  patch.ProcessMessage(dump.data(), static_cast<long>(dump.size()));
  EXPECT_EQ(patch.GetAssignMessage(27), 1);
  EXPECT_EQ(listener.IndicesOf(msg_ParamReceived), std::vector<long>{27});
}

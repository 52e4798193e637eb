#include "MidiTestSupport.h"

#include "framework/core/LPeriodical.h"
#include "midi/CMidiInQueue.h"
#include "midi/CMidiOperation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

namespace {

struct SInsertion {
  std::size_t length;
  unsigned char flags;
};

struct SEntry {
  std::uint8_t length;
  std::uint8_t kind;
};

// Bytes 1, 2, 3, ... numbered across all insertions of a case, so that joined messages can
// be checked byte for byte.
std::vector<Bytes> NumberedInsertions(const std::vector<SInsertion>& insertions) {
  std::vector<Bytes> result;
  unsigned char next = 1;
  for (const auto& insertion : insertions) {
    Bytes bytes(insertion.length);
    for (auto& byte : bytes) byte = next++;
    result.push_back(bytes);
  }
  return result;
}

Bytes Counting(unsigned char first, std::size_t length) {
  Bytes bytes(length);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

class MidiInQueueTest : public ::testing::Test {
 protected:
  void Start(long entries = 2048) {
    ASSERT_TRUE(mQueue.AllocateQueue(entries));
    mQueue.AllocateMsgBuffer(256);
    mQueue.SetMidiInHandler(&mHandler);
    mQueue.StartQueueWatching();
  }

  void Insert(const Bytes& bytes, unsigned char flags) {
    mQueue.InsertPacket(bytes.data(), bytes.size(), flags);
  }

  std::vector<Bytes> TakeAll() {
    std::vector<Bytes> messages;
    while (const long length = mQueue.GetQueueMessage()) {
      messages.emplace_back(mQueue.GetMsgBuffer(), mQueue.GetMsgBuffer() + length);
    }
    return messages;
  }

  StMidiTables mTables;
  CRecordingHandler mHandler;
  CMidiInQueue mQueue;
};

TEST_F(MidiInQueueTest, InsertionsBecomeEntriesAndWholeMessages) {
  struct SCase {
    const char* name;
    std::vector<SInsertion> insertions;
    std::vector<SEntry> entries;
    std::vector<unsigned short> pendingAfterEach;
    std::vector<std::size_t> messageLengths;  // consecutive numbered bytes
  };
  const SCase cases[] = {
      {"3-byte message", {{3, 0}}, {{3, 0}}, {1}, {3}},
      {"4 bytes fill one entry", {{4, 0}}, {{4, 0}}, {1}, {4}},
      {"5 bytes", {{5, 0}}, {{4, 1}, {1, 2}}, {1}, {5}},
      {"exactly 8 bytes", {{8, 0}}, {{4, 1}, {4, 2}}, {1}, {8}},
      {"10-byte SysEx at once", {{10, 0}}, {{4, 1}, {4, 3}, {2, 2}}, {1}, {10}},
      {"11-byte SysEx in three insertions",
       {{6, 1}, {3, 3}, {2, 2}},
       {{4, 1}, {2, 3}, {3, 3}, {2, 2}},
       {0, 0, 1},
       {11}},
      {"long middle and end insertions",
       {{2, 1}, {9, 3}, {6, 2}},
       {{2, 1}, {4, 3}, {4, 3}, {1, 3}, {4, 3}, {2, 2}},
       {0, 0, 1},
       {17}},
      {"two short messages", {{3, 0}, {2, 0}}, {{3, 0}, {2, 0}}, {1, 2}, {3, 2}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    CMidiInQueue queue;
    ASSERT_TRUE(queue.AllocateQueue(64));
    queue.StartQueueWatching();
    const auto insertions = NumberedInsertions(row.insertions);
    for (std::size_t i = 0; i < insertions.size(); ++i) {
      queue.InsertQueue(insertions[i].data(), static_cast<unsigned char>(insertions[i].size()),
                        row.insertions[i].flags);
      EXPECT_EQ(queue.GetPendingCount(), row.pendingAfterEach[i]) << "after insertion " << i;
    }
    ASSERT_EQ(queue.GetWriteIndex(), row.entries.size());
    unsigned char expectedByte = 1;
    for (std::size_t i = 0; i < row.entries.size(); ++i) {
      const SMidiQueueEntry entry = queue.GetEntry(static_cast<long>(i));
      EXPECT_EQ(entry.length, row.entries[i].length) << "entry " << i;
      EXPECT_EQ(entry.kind, row.entries[i].kind) << "entry " << i;
      for (std::uint8_t b = 0; b < 4; ++b) {
        EXPECT_EQ(entry.data[b], b < entry.length ? expectedByte++ : 0) << "entry " << i;
      }
    }
    unsigned char first = 1;
    for (const std::size_t length : row.messageLengths) {
      const long got = queue.GetQueueMessage();
      ASSERT_EQ(got, static_cast<long>(length));
      EXPECT_EQ(Bytes(queue.GetMsgBuffer(), queue.GetMsgBuffer() + got), Counting(first, length));
      first = static_cast<unsigned char>(first + length);
    }
    EXPECT_EQ(queue.GetQueueMessage(), 0);
    EXPECT_EQ(queue.GetPendingCount(), 0);
  }
}

TEST_F(MidiInQueueTest, NothingIsStoredWhenNotWatchingOrEmpty) {
  ASSERT_TRUE(mQueue.AllocateQueue(64));
  const Bytes note = {0x90, 60, 100};
  mQueue.InsertQueue(note.data(), 3, 0);
  mQueue.StartQueueWatching();
  mQueue.InsertQueue(note.data(), 0, 0);
  mQueue.InsertQueue(nullptr, 3, 0);
  mQueue.InsertPacket(note.data(), 0, 0);
  EXPECT_EQ(mQueue.GetPendingCount(), 0);
  EXPECT_EQ(mQueue.GetWriteIndex(), 0);
  EXPECT_EQ(mQueue.GetDroppedCount(), 0u);
  mQueue.StopQueueWatching();
  mQueue.InsertQueue(note.data(), 3, 0);
  EXPECT_EQ(mQueue.GetPendingCount(), 0);
}

TEST_F(MidiInQueueTest, TurnsDeliverAtMostMessagesPerTurn) {
  Start();
  for (unsigned char i = 0; i < 10; ++i) Insert({0x90, i, 100}, 0);
  std::vector<long> perTurn;
  for (int turn = 0; turn < 3; ++turn) {
    const long before = mHandler.Delivered();
    mQueue.SpendTime(EventRecord{});
    perTurn.push_back(mHandler.Delivered() - before);
  }
  EXPECT_EQ(perTurn, (std::vector<long>{4, 4, 2}));
  for (unsigned char i = 0; i < 10; ++i) EXPECT_EQ(mHandler.Messages()[i], (Bytes{0x90, i, 100}));
}

TEST_F(MidiInQueueTest, CheckQueueMessageCountZeroMeansMessagesPerTurn) {
  Start();
  for (unsigned char i = 0; i < 6; ++i) Insert({0x90, i, 100}, 0);
  mQueue.CheckQueueMessage(1);
  EXPECT_EQ(mHandler.Delivered(), 1);
  mQueue.CheckQueueMessage(0);
  EXPECT_EQ(mHandler.Delivered(), 5);
  mQueue.SetMessagesPerTurn(0);
  mQueue.CheckQueueMessage(0);
  EXPECT_EQ(mHandler.Delivered(), 5);
}

TEST_F(MidiInQueueTest, SuspendedQueueKeepsStoringAndDeliversAfterResume) {
  Start();
  mQueue.Suspend();
  EXPECT_TRUE(mQueue.IsSuspended());
  for (unsigned char i = 0; i < 3; ++i) Insert({0xB0, 7, i}, 0);
  mQueue.SpendTime(EventRecord{});
  EXPECT_EQ(mHandler.Delivered(), 0);
  EXPECT_EQ(mQueue.GetPendingCount(), 3);
  mQueue.Resume();
  mQueue.SpendTime(EventRecord{});
  ASSERT_EQ(mHandler.Delivered(), 3);
  for (unsigned char i = 0; i < 3; ++i) EXPECT_EQ(mHandler.Messages()[i], (Bytes{0xB0, 7, i}));
}

TEST_F(MidiInQueueTest, LongMessageGrowsTheBufferAndKeepsItsBytes) {
  ASSERT_TRUE(mQueue.AllocateQueue(2048));
  mQueue.AllocateMsgBuffer(4);
  mQueue.StartQueueWatching();
  const Bytes dump = Counting(1, 141);
  Insert(dump, 0);
  ASSERT_EQ(mQueue.GetQueueMessage(), 141);
  EXPECT_GE(mQueue.GetMsgBufferSize(), 141);
  EXPECT_EQ(Bytes(mQueue.GetMsgBuffer(), mQueue.GetMsgBuffer() + 141), dump);
}

TEST_F(MidiInQueueTest, MessagesWithoutAHandlerAreDropped) {
  Start();
  mQueue.SetMidiInHandler(nullptr);
  Insert({0x90, 1, 2}, 0);
  mQueue.SpendTime(EventRecord{});
  EXPECT_EQ(mQueue.GetPendingCount(), 0);
  EXPECT_EQ(mHandler.Delivered(), 0);
}

TEST_F(MidiInQueueTest, MessagesSurviveWrappingAroundTheRing) {
  Start(8);  // holds 7 entries
  for (unsigned char round = 0; round < 20; ++round) {
    SCOPED_TRACE(static_cast<int>(round));
    const Bytes message = Counting(round, 5 + round % 14);  // 2 to 5 entries
    Insert(message, 0);
    EXPECT_EQ(TakeAll(), std::vector<Bytes>{message});
  }
  EXPECT_EQ(mQueue.GetDroppedCount(), 0u);
}

TEST_F(MidiInQueueTest, WatchingStartsAndStopsTheTurnsAndClearsTheRing) {
  ASSERT_TRUE(mQueue.AllocateQueue(64));
  EXPECT_FALSE(mQueue.IsRepeating());
  mQueue.StartQueueWatching();
  EXPECT_TRUE(mQueue.IsWatching());
  EXPECT_TRUE(mQueue.IsRepeating());
  EXPECT_TRUE(mQueue.IsIdling());
  Insert({0x90, 1, 2}, 0);
  mQueue.StopQueueWatching();
  EXPECT_FALSE(mQueue.IsRepeating());
  EXPECT_FALSE(mQueue.IsIdling());
  EXPECT_EQ(mQueue.GetPendingCount(), 0);
  mQueue.StartQueueWatching();
  EXPECT_EQ(mQueue.GetQueueMessage(), 0);
  Insert({0x90, 1, 2}, 0);
  mQueue.ClearQueue();
  EXPECT_TRUE(mQueue.IsWatching());
  EXPECT_EQ(mQueue.GetQueueMessage(), 0);
}

TEST_F(MidiInQueueTest, AllocateQueueKeepsARingOfTheSameSizeAndRefusesImpossibleSizes) {
  struct SRow {
    long entries;
    bool allocated;
  };
  const SRow rows[] = {{-5, false}, {0, false}, {1, false}, {2, true},
                       {2048, true}, {65535, true}, {65536, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.entries);
    CMidiInQueue queue;
    EXPECT_EQ(queue.AllocateQueue(row.entries), row.allocated);
    EXPECT_EQ(queue.GetRingSize(), row.allocated ? row.entries : 0);
  }
  Start(64);
  Insert({0x90, 1, 2}, 0);
  EXPECT_TRUE(mQueue.AllocateQueue(64));
  EXPECT_EQ(mQueue.GetPendingCount(), 1);  // the same ring, untouched
  EXPECT_TRUE(mQueue.AllocateQueue(128));
  EXPECT_EQ(mQueue.GetRingSize(), 128);
  EXPECT_EQ(mQueue.GetPendingCount(), 0);  // a new ring starts empty
  Insert({0x90, 3, 4}, 0);
  EXPECT_EQ(TakeAll(), std::vector<Bytes>{(Bytes{0x90, 3, 4})});
  mQueue.ReleaseQueue();
  EXPECT_EQ(mQueue.GetRingSize(), 0);
  Insert({0x90, 5, 6}, 0);  // no ring: dropped and counted
  EXPECT_EQ(mQueue.GetQueueMessage(), 0);
  EXPECT_EQ(mQueue.GetDroppedCount(), 1u);
}

// Overflow: a message that does not fit is dropped whole and counted; no part of it is ever
// delivered, and the messages around it are not harmed.
TEST_F(MidiInQueueTest, OverflowDropsWholeMessagesAndCountsThem) {
  struct SStep {
    std::size_t length;  // 0: the reader takes every message stored so far
    unsigned char flags;
  };
  struct SCase {
    const char* name;
    long ringEntries;
    std::vector<SStep> steps;
    // Each delivered message as the numbers of the insertions it is made of.
    std::vector<std::vector<int>> delivered;
    unsigned long dropped;
  };
  const SCase cases[] = {
      {"the ring fills up, the next message is dropped", 8,
       {{28, 0}, {1, 0}}, {{0}}, 1},
      {"a message larger than the whole ring", 8, {{29, 0}, {3, 0}}, {{1}}, 1},
      {"a SysEx whose middle does not fit is dropped whole", 8,
       {{3, 0}, {8, 1}, {16, 3}, {4, 3}, {2, 2}, {3, 0}}, {{0}, {5}}, 1},
      {"a start that does not fit drops its continuation", 8,
       {{20, 0}, {12, 1}, {2, 2}, {4, 0}}, {{0}, {3}}, 1},
      {"space comes back once the reader has taken", 8,
       {{28, 0}, {0, 0}, {28, 0}}, {{0}, {2}}, 0},
      {"the end of a dropped message does not swallow the next one", 8,
       {{28, 0}, {4, 1}, {0, 0}, {4, 2}, {3, 0}}, {{0}, {4}}, 1},
      {"a packet overflowing in its fourth piece is dropped whole", 200,
       {{1000, 0}, {3, 0}}, {{1}}, 1},
      {"a message begun after a dropped start keeps its tail", 4,
       {{16, 1}, {2, 1}, {2, 2}}, {{1, 2}}, 1},
      {"an unfinished message is dropped when another begins", 8,
       {{4, 1}, {3, 0}}, {{1}}, 1},
      {"and its late end is skipped", 8,
       {{4, 1}, {3, 0}, {2, 2}, {3, 0}}, {{1}, {3}}, 1},
      {"each dropped message counts once", 8,
       {{28, 0}, {3, 0}, {300, 0}, {3, 1}, {3, 3}, {3, 2}}, {{0}}, 3},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    CMidiInQueue queue;
    ASSERT_TRUE(queue.AllocateQueue(row.ringEntries));
    queue.StartQueueWatching();
    std::vector<Bytes> sent(row.steps.size());
    std::vector<Bytes> delivered;
    unsigned char next = 1;
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
      if (row.steps[i].length == 0) {
        while (const long length = queue.GetQueueMessage()) {
          delivered.emplace_back(queue.GetMsgBuffer(), queue.GetMsgBuffer() + length);
        }
        continue;
      }
      sent[i].resize(row.steps[i].length);
      for (auto& byte : sent[i]) byte = next++;
      queue.InsertPacket(sent[i].data(), sent[i].size(), row.steps[i].flags);
    }
    while (const long length = queue.GetQueueMessage()) {
      delivered.emplace_back(queue.GetMsgBuffer(), queue.GetMsgBuffer() + length);
    }
    std::vector<Bytes> expected;
    for (const auto& parts : row.delivered) {
      Bytes joined;
      for (const int part : parts) joined.insert(joined.end(), sent[part].begin(), sent[part].end());
      expected.push_back(joined);
    }
    EXPECT_EQ(delivered, expected);
    EXPECT_EQ(queue.GetDroppedCount(), row.dropped);
    EXPECT_EQ(queue.GetPendingCount(), 0);
  }
}

TEST_F(MidiInQueueTest, TailOfAMessageBegunBeforeClearingIsSkipped) {
  Start(64);
  Insert(Counting(1, 8), kMoreFollows);
  mQueue.ClearQueue();
  Insert(Counting(9, 4), kContinues | kMoreFollows);
  Insert(Counting(13, 4), kContinues);
  Insert({0x90, 1, 2}, 0);
  EXPECT_EQ(TakeAll(), std::vector<Bytes>{(Bytes{0x90, 1, 2})});
  EXPECT_EQ(mQueue.GetDroppedCount(), 0u);
}

// Records each insertion InsertPacket makes, then stores it.
class CInsertionRecorder final : public CMidiInQueue {
 public:
  void InsertQueue(const unsigned char* data, unsigned char length,
                   unsigned char flags) noexcept override {
    calls.push_back({length, flags});
    CMidiInQueue::InsertQueue(data, length, flags);
  }
  std::vector<SInsertion> calls;
};

TEST_F(MidiInQueueTest, LongPacketsAreSplitWithTheirPositionFlags) {
  struct SCase {
    std::size_t length;
    unsigned char flags;
    std::vector<SInsertion> insertions;
  };
  const SCase cases[] = {
      {0, 0, {}},
      {3, 0, {{3, 0}}},
      {252, 0, {{252, 0}}},
      {253, 0, {{252, 1}, {1, 2}}},
      {256, 0, {{252, 1}, {4, 2}}},
      {600, 0, {{252, 1}, {252, 3}, {96, 2}}},
      {504, 1, {{252, 1}, {252, 3}}},
      {300, 3, {{252, 3}, {48, 3}}},
      {300, 2, {{252, 3}, {48, 2}}},
      {300, 0xFC, {{252, 1}, {48, 2}}},  // only the low two bits count
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << row.length << " bytes, flags " << int(row.flags));
    CInsertionRecorder queue;
    ASSERT_TRUE(queue.AllocateQueue(2048));
    queue.StartQueueWatching();
    const Bytes packet = Counting(0, row.length);
    queue.InsertPacket(packet.data(), packet.size(), row.flags);
    ASSERT_EQ(queue.calls.size(), row.insertions.size());
    for (std::size_t i = 0; i < row.insertions.size(); ++i) {
      EXPECT_EQ(queue.calls[i].length, row.insertions[i].length) << "insertion " << i;
      EXPECT_EQ(queue.calls[i].flags, row.insertions[i].flags) << "insertion " << i;
    }
  }
}

TEST_F(MidiInQueueTest, LongSysExArrivesWholeAndUncut) {
  Start();
  const Bytes single = MakeMessage(0, {1000});
  Insert(single, 0);
  // A SysEx spread over packets of 300, 300 and 10 bytes.
  const Bytes spread = MakeMessage(1, {610});
  Insert(Bytes(spread.begin(), spread.begin() + 300), 1);
  Insert(Bytes(spread.begin() + 300, spread.begin() + 600), 3);
  Insert(Bytes(spread.begin() + 600, spread.end()), 2);
  mQueue.CheckQueueMessage(10);
  ASSERT_EQ(mHandler.Messages().size(), 2u);
  EXPECT_EQ(mHandler.Messages()[0], single);
  EXPECT_EQ(mHandler.Messages()[1], spread);
}

TEST_F(MidiInQueueTest, DestroyingTheQueueStopsItsTurns) {
  {
    CMidiInQueue queue;
    ASSERT_TRUE(queue.AllocateQueue(64));
    queue.StartQueueWatching();
    CMidiOperation::SetMidiInQueue(0, &queue);
  }
  // A destroyed queue must have left the periodical lists: this pass would touch it.
  LPeriodical::DevoteTimeToRepeaters(EventRecord{});
  LPeriodical::DevoteTimeToIdlers(EventRecord{});
  EXPECT_EQ(CMidiOperation::GetMidiInAction(0)->action, kMidiInUnbound);
}

}  // namespace

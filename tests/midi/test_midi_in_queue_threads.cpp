// The queue between a producer thread (standing for the MIDI read thread) and the main
// thread. Build with -DKVX_SANITIZE=thread to have ThreadSanitizer check the hand-over.
#include "MidiTestSupport.h"

#include "framework/core/LPeriodical.h"
#include "midi/CMidiInQueue.h"
#include "midi/CMidiOperation.h"
#include "midi/StMidiInDelivery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Lengths chosen to cover whole entries, partly used entries, bulk dumps and SysEx longer
// than one insertion.
const std::vector<std::size_t> kLengths = {3, 1, 2, 141, 4, 5, 8, 255, 256, 9, 1000, 3, 600, 13};

// Sends message `index` through in-port 0 as the read callback would: in one packet, or
// (every third SysEx) spread over packets of varying size with start, middle and end flags.
void SendThroughInport(std::uint32_t index, const std::vector<std::size_t>& lengths) {
  const Bytes message = MakeMessage(index, lengths);
  StMidiInDelivery delivery(0);
  CMidiInQueue* queue = delivery.GetQueue();
  if (queue == nullptr) return;
  if (message.size() < 6 || index % 3 != 0) {
    queue->InsertPacket(message.data(), message.size(), 0);
    return;
  }
  const std::size_t piece = 1 + index % 97;
  for (std::size_t offset = 0; offset < message.size(); offset += piece) {
    const std::size_t length = std::min(piece, message.size() - offset);
    unsigned char flags = 0;
    if (offset > 0) flags |= kContinues;
    if (offset + length < message.size()) flags |= kMoreFollows;
    queue->InsertPacket(message.data() + offset, length, flags);
  }
}

class MidiInQueueThreadTest : public ::testing::Test {
 protected:
  void Start(long entries) {
    ASSERT_TRUE(mQueue.AllocateQueue(entries));
    mQueue.AllocateMsgBuffer(256);
    mQueue.SetMidiInHandler(&mHandler);
    mQueue.StartQueueWatching();
    CMidiOperation::SetMidiInQueue(0, &mQueue);
    CMidiOperation::SetInportEnabled(0, true);
  }

  // The main thread's side: turns from the event loop until the producer is done and the
  // queue is empty.
  void DeliverUntil(const std::atomic<bool>& producerDone) {
    for (;;) {
      const bool done = producerDone.load(std::memory_order_acquire);
      LPeriodical::DevoteTimeToRepeaters(EventRecord{});
      LPeriodical::DevoteTimeToIdlers(EventRecord{});
      if (done && mQueue.GetPendingCount() == 0) break;
      std::this_thread::yield();
    }
  }

  StMidiTables mTables;
  CRecordingHandler mHandler;
  CMidiInQueue mQueue;
};

TEST_F(MidiInQueueThreadTest, EveryMessageArrivesInOrderWhenTheReaderKeepsUp) {
  Start(2048);
  constexpr std::uint32_t kMessages = 3000;
  // The producer never has more than this many messages outstanding, so that the ring (2047
  // entries, 250 for the longest message) cannot overflow.
  constexpr long kWindow = 7;
  std::atomic<bool> producerDone{false};
  std::jthread producer([&](std::stop_token stop) {
    for (std::uint32_t i = 0; i < kMessages; ++i) {
      while (static_cast<long>(i) - mHandler.Delivered() >= kWindow) {
        if (stop.stop_requested()) return;
        std::this_thread::yield();
      }
      SendThroughInport(i, kLengths);
    }
    producerDone.store(true, std::memory_order_release);
  });
  DeliverUntil(producerDone);
  producer.join();

  EXPECT_EQ(mQueue.GetDroppedCount(), 0u);
  ASSERT_EQ(mHandler.Messages().size(), kMessages);
  for (std::uint32_t i = 0; i < kMessages; ++i) {
    ASSERT_EQ(mHandler.Messages()[i], MakeMessage(i, kLengths)) << "message " << i;
  }
}

TEST_F(MidiInQueueThreadTest, OverflowUnderLoadDeliversOnlyWholeMessagesInOrder) {
  Start(64);  // far too small for what comes: most long messages are dropped
  constexpr std::uint32_t kMessages = 6000;
  const std::vector<std::size_t> lengths = {3, 141, 3, 3, 40, 600, 3, 9};
  std::atomic<bool> producerDone{false};
  std::jthread producer([&] {
    for (std::uint32_t i = 0; i < kMessages; ++i) SendThroughInport(i, lengths);
    producerDone.store(true, std::memory_order_release);
  });
  DeliverUntil(producerDone);
  producer.join();

  const auto& messages = mHandler.Messages();
  EXPECT_EQ(messages.size() + mQueue.GetDroppedCount(), kMessages);
  long previous = -1;
  for (const Bytes& message : messages) {
    ASSERT_GE(message.size(), 3u);
    const std::uint32_t index = MessageIndex(message);
    ASSERT_GT(static_cast<long>(index), previous) << "out of order";
    ASSERT_EQ(message, MakeMessage(index, lengths)) << "message " << index << " damaged";
    previous = index;
  }
}

// The main thread rebinds, clears, reallocates and destroys queues while the read thread keeps
// delivering into whatever is bound. Every release must wait for the insertion that may still
// use the ring; sanitizers see any use after release.
TEST(MidiInQueueThreads, QueuesComeAndGoWhileTheReadThreadDelivers) {
  StMidiTables tables;
  const std::vector<std::size_t> lengths = {3, 141, 9, 300};
  // Stopped and joined when the test ends, also when an assertion ends it early.
  std::jthread reader([&](std::stop_token stop) {
    for (std::uint32_t i = 0; !stop.stop_requested(); i = (i + 1) % 16384) {
      SendThroughInport(i, lengths);
    }
  });
  for (int round = 0; round < 100; ++round) {
    CRecordingHandler handler;
    auto queue = std::make_unique<CMidiInQueue>();
    ASSERT_TRUE(queue->AllocateQueue(round % 2 == 0 ? 256 : 2048));
    queue->SetMidiInHandler(&handler);
    queue->StartQueueWatching();
    CMidiOperation::SetMidiInQueue(0, queue.get());
    for (int turn = 0; turn < 12; ++turn) {
      queue->CheckQueueMessage(8);
      std::this_thread::yield();
      if (turn == 3) queue->ClearQueue();
      if (turn == 6) {
        ASSERT_TRUE(queue->AllocateQueue(round % 2 == 0 ? 2048 : 256));
      }
      if (turn == 9 && round % 3 == 0) queue->StopQueueWatching();
    }
    if (round % 4 == 0) CMidiOperation::SetMidiInQueue(0, nullptr);
    queue.reset();
    for (const Bytes& message : handler.Messages()) {
      ASSERT_GE(message.size(), 3u);
      ASSERT_EQ(message, MakeMessage(MessageIndex(message), lengths));
    }
  }
}

}  // namespace

// Throughput of the MIDI input queue from a producer thread (standing for the MIDI read
// thread) to the main thread, side by side with a queue built from a mutex and a std::deque
// doing the same work. Both producers keep at most half a ring's worth of messages outstanding, so
// that neither queue drops or grows without bound; both consumers yield when they find
// nothing. Items per second are messages delivered.
#include "midi/CMidiInHandler.h"
#include "midi/CMidiInQueue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr long kMessagesPerRun = 200000;
constexpr long kRingEntries = 2048;  // the size a patch retrieval uses

std::vector<unsigned char> MakeMessage(std::size_t length) {
  std::vector<unsigned char> message(length);
  for (std::size_t i = 0; i < length; ++i) message[i] = static_cast<unsigned char>(i & 0x7F);
  message[0] = length <= 3 ? 0x90 : 0xF0;
  if (length > 3) message[length - 1] = 0xF7;
  return message;
}

// Messages the producer may have outstanding: what half the ring holds.
long Window(std::size_t length) {
  const long entries = static_cast<long>((length + 3) / 4);
  return std::max(1L, kRingEntries / 2 / entries);
}

class CCountingHandler final : public CMidiInHandler {
 public:
  void ProcessMessage(const unsigned char* bytes, long length) override {
    mChecksum += bytes[length - 1];
    mDelivered.store(mDelivered.load(std::memory_order_relaxed) + 1, std::memory_order_release);
  }
  long Delivered() const { return mDelivered.load(std::memory_order_acquire); }
  void Reset() { mDelivered.store(0); }
  unsigned long Checksum() const { return mChecksum; }

 private:
  std::atomic<long> mDelivered{0};
  unsigned long mChecksum = 0;
};

template <typename Insert>
void Produce(const std::vector<unsigned char>& message, const CCountingHandler& handler,
             Insert insert) {
  const long window = Window(message.size());
  long delivered = 0;  // looked at again only when the window seems full
  for (long sent = 0; sent < kMessagesPerRun; ++sent) {
    while (sent - delivered >= window) {
      delivered = handler.Delivered();
      if (sent - delivered >= window) std::this_thread::yield();
    }
    insert(message.data(), message.size());
  }
}

void BM_MidiInQueue(benchmark::State& state) {
  const auto message = MakeMessage(static_cast<std::size_t>(state.range(0)));
  CCountingHandler handler;
  CMidiInQueue queue;
  queue.AllocateQueue(kRingEntries);
  queue.AllocateMsgBuffer(256);
  queue.SetMidiInHandler(&handler);
  queue.StartQueueWatching();
  for (auto _ : state) {
    handler.Reset();
    std::thread producer([&] {
      Produce(message, handler, [&](const unsigned char* data, std::size_t length) {
        queue.InsertPacket(data, length, 0);
      });
    });
    while (handler.Delivered() < kMessagesPerRun) {
      if (queue.GetPendingCount() == 0) std::this_thread::yield();
      queue.CheckQueueMessage(64);
    }
    producer.join();
  }
  if (queue.GetDroppedCount() != 0) state.SkipWithError("messages were dropped");
  benchmark::DoNotOptimize(handler.Checksum());
  state.SetItemsProcessed(state.iterations() * kMessagesPerRun);
}

// The usual alternative: every message copied into its own vector, guarded by a mutex.
class CMutexDequeQueue {
 public:
  void Insert(const unsigned char* data, std::size_t length) {
    std::vector<unsigned char> message(data, data + length);
    std::lock_guard<std::mutex> lock(mMutex);
    mMessages.push_back(std::move(message));
  }
  bool Take(std::vector<unsigned char>& message) {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mMessages.empty()) return false;
    message = std::move(mMessages.front());
    mMessages.pop_front();
    return true;
  }

 private:
  std::mutex mMutex;
  std::deque<std::vector<unsigned char>> mMessages;
};

void BM_MutexDequeQueue(benchmark::State& state) {
  const auto message = MakeMessage(static_cast<std::size_t>(state.range(0)));
  CCountingHandler handler;
  CMutexDequeQueue queue;
  std::vector<unsigned char> taken;
  for (auto _ : state) {
    handler.Reset();
    std::thread producer([&] {
      Produce(message, handler, [&](const unsigned char* data, std::size_t length) {
        queue.Insert(data, length);
      });
    });
    while (handler.Delivered() < kMessagesPerRun) {
      int delivered = 0;
      for (; delivered < 64 && queue.Take(taken); ++delivered) {
        handler.ProcessMessage(taken.data(), static_cast<long>(taken.size()));
      }
      if (delivered == 0) std::this_thread::yield();
    }
    producer.join();
  }
  benchmark::DoNotOptimize(handler.Checksum());
  state.SetItemsProcessed(state.iterations() * kMessagesPerRun);
}

// 3 bytes: a channel message; 141 bytes: a bulk dump; 600 bytes: a SysEx split on insertion.
BENCHMARK(BM_MidiInQueue)->Arg(3)->Arg(141)->Arg(600)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MutexDequeQueue)->Arg(3)->Arg(141)->Arg(600)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

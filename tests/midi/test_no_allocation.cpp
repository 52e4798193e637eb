// The read thread's path into the queue must never touch the heap. This program replaces the
// global allocation functions with ones that count, on threads that ask for it, every
// allocation made.
#include "MidiTestSupport.h"

#include "midi/CMidiInQueue.h"
#include "midi/CMidiOperation.h"
#include "midi/StMidiInDelivery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

namespace {

thread_local bool tCounting = false;
std::atomic<long> sAllocations{0};

void* CountedAllocate(std::size_t size) {
  if (tCounting) sAllocations.fetch_add(1, std::memory_order_relaxed);
  if (size == 0) size = 1;
  return std::malloc(size);
}

void* CountedAllocate(std::size_t size, std::align_val_t alignment) {
  if (tCounting) sAllocations.fetch_add(1, std::memory_order_relaxed);
  const auto align = static_cast<std::size_t>(alignment);
  return std::aligned_alloc(align, (size + align - 1) / align * align);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* block = CountedAllocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* block = CountedAllocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  if (void* block = CountedAllocate(size, alignment)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  if (void* block = CountedAllocate(size, alignment)) return block;
  throw std::bad_alloc();
}
// These are the replacements of the global allocation functions: freeing what they allocated
// with std::free is right, whatever GCC's pairing check assumes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace {

// Runs `work` on a thread of its own and returns how many allocations it made there.
template <typename Work>
long AllocationsOnAThreadDoing(Work work) {
  long counted = 0;
  std::thread thread([&] {
    const long before = sAllocations.load();
    tCounting = true;
    work();
    tCounting = false;
    counted = sAllocations.load() - before;
  });
  thread.join();
  return counted;
}

TEST(NoAllocation, TheCounterSeesAllocations) {
  const long counted = AllocationsOnAThreadDoing([] {
    // Direct calls of the allocation functions, which the optimiser may not leave out as it
    // may for a new-expression whose result is never used.
    void* volatile first = ::operator new(16);
    void* volatile second = ::operator new[](32);
    ::operator delete(first);
    ::operator delete[](second);
  });
  EXPECT_EQ(counted, 2);
}

TEST(NoAllocation, ReadThreadPathIntoTheQueueAllocatesNothing) {
  StMidiTables tables;
  CRecordingHandler handler;
  CMidiInQueue queue;
  ASSERT_TRUE(queue.AllocateQueue(256));  // small, so that messages get dropped too
  queue.AllocateMsgBuffer(256);
  queue.SetMidiInHandler(&handler);
  queue.StartQueueWatching();
  CMidiOperation::SetMidiInQueue(0, &queue);

  const std::vector<std::size_t> lengths = {3, 1, 141, 5, 600, 1000, 256, 2};
  std::vector<Bytes> messages;
  for (std::uint32_t i = 0; i < 64; ++i) messages.push_back(MakeMessage(i, lengths));

  const long counted = AllocationsOnAThreadDoing([&] {
    for (const Bytes& message : messages) {
      StMidiInDelivery delivery(0);
      if (CMidiInQueue* target = delivery.GetQueue()) {
        target->InsertPacket(message.data(), message.size(), 0);
        target->InsertPacket(message.data(), message.size(), kMoreFollows);
        target->InsertPacket(message.data(), message.size(), kContinues);
        target->InsertQueue(message.data(), static_cast<unsigned char>(message.size() % 256),
                            kContinues | kMoreFollows);
      }
    }
    StMidiInDelivery unbound(7);
  });
  EXPECT_EQ(counted, 0);
  // The path did work: something was stored, and the small ring dropped something.
  EXPECT_GT(queue.GetPendingCount(), 0);
  EXPECT_GT(queue.GetDroppedCount(), 0u);
}

}  // namespace

// The cycles a JACK client's process thread has run, and a way for other threads to wait for
// what a cycle brings about: a ring emptied, a connection in the graph, a port out of use.
//
// Threads: BeginCycle and EndCycle run on the MIDI thread and never block or allocate;
// EndCycle wakes the waiters only when it gets their lock at once, so a waiter that missed a
// wake-up looks again after a short slice. Stop runs on JACK's notification thread, WaitFor
// on any thread but the MIDI thread.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class CJackCycleCounter {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  void BeginCycle() noexcept { mBegun.fetch_add(1); }  // runs on the MIDI thread
  void EndCycle() noexcept;                             // runs on the MIDI thread
  // The server has gone: no cycle follows, and waits end at once.
  void Stop() noexcept;

  std::uint64_t GetBegun() const { return mBegun.load(); }
  std::uint64_t GetEnded() const { return mEnded.load(); }

  // Waits until `done()` holds, looking again after each cycle. False when the deadline
  // passed or the server stopped first.
  template <typename Done>
  bool WaitFor(const Done& done, Deadline deadline);

 private:
  static constexpr auto kMissedWakeSlice = std::chrono::milliseconds(5);

  std::atomic<std::uint64_t> mBegun{0};
  std::atomic<std::uint64_t> mEnded{0};
  std::atomic<bool> mStopped{false};
  std::mutex mMutex;
  std::condition_variable mCycleEnded;
};

template <typename Done>
bool CJackCycleCounter::WaitFor(const Done& done, Deadline deadline) {
  std::unique_lock lock(mMutex);
  while (!done()) {
    const auto now = std::chrono::steady_clock::now();
    if (mStopped.load() || now >= deadline) return false;
    mCycleEnded.wait_until(lock, std::min(deadline, now + kMissedWakeSlice));
  }
  return true;
}

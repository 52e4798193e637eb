// Carries error texts of the MIDI systems to an error handler on the main thread. RtMidi may
// report from its own threads (the ALSA input thread, JACK's process thread), where nothing
// may allocate or lock: there the text goes into one of a few fixed slots and waits for
// Deliver(); when every slot is taken it is dropped and counted.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

class CMidiErrorRelay {
 public:
  using Handler = std::function<void(const std::string& message)>;

  CMidiErrorRelay();  // the constructing thread counts as the main thread

  // Makes the calling thread the main thread (for a relay made on a thread that hands it on).
  void AdoptCallingThread() noexcept;

  void SetHandler(Handler handler);  // main thread

  // Any thread. On the main thread the handler runs at once.
  void Report(std::string_view message) noexcept;

  // Main thread: hands the texts that came from other threads to the handler.
  void Deliver();

  const std::string& GetLastError() const { return mLastError; }  // main thread
  std::size_t GetDroppedCount() const { return mDropped.load(std::memory_order_relaxed); }

 private:
  enum : int { kSlotFree, kSlotWriting, kSlotReady };
  struct SSlot {
    std::atomic<int> state{kSlotFree};
    std::size_t length = 0;
    char text[256] = {};
  };

  void Hand(const std::string& message) noexcept;

  std::atomic<std::thread::id> mMainThread;
  Handler mHandler;
  std::string mLastError;
  std::array<SSlot, 8> mSlots;
  std::atomic<std::size_t> mDropped{0};
};

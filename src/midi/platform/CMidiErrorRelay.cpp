#include "midi/platform/CMidiErrorRelay.h"

#include <algorithm>
#include <utility>

CMidiErrorRelay::CMidiErrorRelay() : mMainThread(std::this_thread::get_id()) {}

void CMidiErrorRelay::AdoptCallingThread() noexcept {
  mMainThread.store(std::this_thread::get_id(), std::memory_order_release);
}

void CMidiErrorRelay::SetHandler(Handler handler) { mHandler = std::move(handler); }

void CMidiErrorRelay::Report(std::string_view message) noexcept {
  if (std::this_thread::get_id() == mMainThread.load(std::memory_order_acquire)) {
    try {
      Hand(std::string(message));
    } catch (...) {
      mDropped.fetch_add(1, std::memory_order_relaxed);
    }
    return;
  }
  for (auto& slot : mSlots) {
    int expected = kSlotFree;
    if (!slot.state.compare_exchange_strong(expected, kSlotWriting, std::memory_order_acquire)) {
      continue;
    }
    slot.length = std::min(message.size(), sizeof slot.text);
    std::copy_n(message.data(), slot.length, slot.text);
    slot.state.store(kSlotReady, std::memory_order_release);
    return;
  }
  mDropped.fetch_add(1, std::memory_order_relaxed);
}

void CMidiErrorRelay::Deliver() {
  for (auto& slot : mSlots) {
    if (slot.state.load(std::memory_order_acquire) != kSlotReady) continue;
    std::string message(slot.text, slot.length);
    slot.state.store(kSlotFree, std::memory_order_release);
    Hand(message);
  }
}

void CMidiErrorRelay::Hand(const std::string& message) noexcept {
  try {
    mLastError = message;
    if (mHandler) mHandler(message);
  } catch (...) {
    // A handler that throws loses its message; the MIDI system must not see the exception.
  }
}

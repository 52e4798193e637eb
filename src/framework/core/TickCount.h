// Ticks of 1/60 second from a steady clock. Tests may install their own clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

std::uint32_t TickCount();

// When TickCount() may next have moved on: the start of the steady clock's next tick, or, with
// a clock of a test's own (whose ticks follow no known time), a millisecond from now. A loop
// that waits for ticks sleeps until then instead of waking at a fixed rate.
std::chrono::steady_clock::time_point NextTickDue();

class UTickClock {
 public:
  // Replaces the clock (main thread only); an empty function restores the steady clock.
  static void SetSource(std::function<std::uint32_t()> source);
};

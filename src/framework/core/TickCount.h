// Ticks of 1/60 second from a steady clock. Tests may install their own clock.
#pragma once

#include <cstdint>
#include <functional>

std::uint32_t TickCount();

class UTickClock {
 public:
  // Replaces the clock (main thread only); an empty function restores the steady clock.
  static void SetSource(std::function<std::uint32_t()> source);
};

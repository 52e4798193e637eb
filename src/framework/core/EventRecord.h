// The event the framework hands to periodicals and key handlers.
#pragma once

#include "framework/core/MacTypes.h"

#include <cstdint>

constexpr std::uint16_t nullEvent = 0;
constexpr std::uint16_t keyDown = 3;

struct EventRecord {
  std::uint16_t what = nullEvent;
  std::uint32_t message = 0;  // key events: character code in the low byte
  std::uint32_t when = 0;     // ticks
  Point where;
  std::uint16_t modifiers = 0;
};

// Ticks at twenty times their speed for one scope, so that the device's 4-tick pacing of 50
// dumps costs little time. Make it before the device's thread starts and end it after that
// thread ended: the tick source is not guarded against a thread reading it meanwhile.
#pragma once

#include "framework/core/TickCount.h"

#include <chrono>
#include <cstdint>

namespace kvxtest {

class StFastTicks {
 public:
  StFastTicks() {
    const auto start = std::chrono::steady_clock::now();
    UTickClock::SetSource([start] {
      const auto elapsed = std::chrono::steady_clock::now() - start;
      return static_cast<std::uint32_t>(
          std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() * 60 * 20 /
          1000000);
    });
  }
  ~StFastTicks() { UTickClock::SetSource({}); }
  StFastTicks(const StFastTicks&) = delete;
  StFastTicks& operator=(const StFastTicks&) = delete;
};

}  // namespace kvxtest

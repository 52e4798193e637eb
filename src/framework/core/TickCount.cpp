#include "framework/core/TickCount.h"

#include <chrono>
#include <utility>

namespace {

std::function<std::uint32_t()>& tickSource() {
  static std::function<std::uint32_t()> source;
  return source;
}

using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 60>>;

std::chrono::steady_clock::time_point steadyStart() {
  static const auto start = std::chrono::steady_clock::now();
  return start;
}

Ticks steadyElapsed() {
  return std::chrono::duration_cast<Ticks>(std::chrono::steady_clock::now() - steadyStart());
}

std::uint32_t steadyTicks() { return static_cast<std::uint32_t>(steadyElapsed().count()); }

}  // namespace

std::uint32_t TickCount() {
  const auto& source = tickSource();
  return source ? source() : steadyTicks();
}

std::chrono::steady_clock::time_point NextTickDue() {
  if (tickSource()) return std::chrono::steady_clock::now() + std::chrono::milliseconds(1);
  const auto next = steadyStart() + steadyElapsed() + Ticks(1);
  return std::chrono::time_point_cast<std::chrono::steady_clock::duration>(next);
}

void UTickClock::SetSource(std::function<std::uint32_t()> source) {
  tickSource() = std::move(source);
}

#include "framework/core/TickCount.h"

#include <chrono>
#include <utility>

namespace {

std::function<std::uint32_t()>& tickSource() {
  static std::function<std::uint32_t()> source;
  return source;
}

std::uint32_t steadyTicks() {
  using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 60>>;
  static const auto start = std::chrono::steady_clock::now();
  auto elapsed = std::chrono::duration_cast<Ticks>(std::chrono::steady_clock::now() - start);
  return static_cast<std::uint32_t>(elapsed.count());
}

}  // namespace

std::uint32_t TickCount() {
  const auto& source = tickSource();
  return source ? source() : steadyTicks();
}

void UTickClock::SetSource(std::function<std::uint32_t()> source) {
  tickSource() = std::move(source);
}

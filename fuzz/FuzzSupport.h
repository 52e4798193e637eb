// What the fuzz targets share: a property that does not hold aborts with its name, so that
// libFuzzer keeps the input as a crash; alerts are swallowed; inputs are read from the front,
// so that hand-written seeds stay readable.
#pragma once

#include "framework/core/UModalAlerts.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "\n*** property broken: %s\n", property);
  std::abort();
}

// Loading a patch shows alerts for what it refuses; a fuzz run has nobody to show them to.
class CSilentAlertPresenter : public LAlertPresenter {
 public:
  void CautionAlert(ResIDT, const std::string&) override {}
};

inline void SilenceAlerts() {
  static CSilentAlertPresenter presenter;
  static StAlertPresenter installed(&presenter);
}

class CFuzzInput {
 public:
  CFuzzInput(const std::uint8_t* data, std::size_t size) : mBytes(data, size) {}

  bool Empty() const { return mBytes.empty(); }
  std::uint8_t Byte() {
    if (mBytes.empty()) return 0;
    const std::uint8_t byte = mBytes.front();
    mBytes = mBytes.subspan(1);
    return byte;
  }
  std::int16_t Int16() { return static_cast<std::int16_t>((Byte() << 8) | Byte()); }
  std::int32_t Int32() {
    const auto high = static_cast<std::uint32_t>(static_cast<std::uint16_t>(Int16()));
    const auto low = static_cast<std::uint32_t>(static_cast<std::uint16_t>(Int16()));
    return static_cast<std::int32_t>((high << 16) | low);
  }
  // Up to `count` bytes (fewer at the end of the input).
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    const std::span<const std::uint8_t> taken = mBytes.first(std::min(count, mBytes.size()));
    mBytes = mBytes.subspan(taken.size());
    return taken;
  }
  // A length byte and that many bytes.
  std::string Text() {
    const std::span<const std::uint8_t> bytes = Bytes(Byte());
    return std::string(bytes.begin(), bytes.end());
  }
  std::span<const std::uint8_t> Rest() { return Bytes(mBytes.size()); }

 private:
  std::span<const std::uint8_t> mBytes;
};

#include "framework/core/LHandleStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

void LHandleStream::WriteData(const void* bytes, std::size_t count) {
  if (count == 0) return;
  if (mMarker + count > mData.size()) mData.resize(mMarker + count);
  std::memcpy(mData.data() + mMarker, bytes, count);
  mMarker += count;
}

LHandleStream& LHandleStream::operator<<(std::uint8_t value) {
  WriteData(&value, 1);
  return *this;
}

LHandleStream& LHandleStream::operator<<(std::uint16_t value) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value >> 8),
                                 static_cast<std::uint8_t>(value)};
  WriteData(bytes, sizeof bytes);
  return *this;
}

LHandleStream& LHandleStream::operator<<(std::uint32_t value) {
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
      static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
  WriteData(bytes, sizeof bytes);
  return *this;
}

void LHandleStream::SetMarker(std::size_t marker) { mMarker = std::min(marker, mData.size()); }

void LHandleStream::SetLength(std::size_t length) {
  mData.resize(length);
  mMarker = std::min(mMarker, length);
}

std::vector<std::uint8_t> LHandleStream::DetachDataHandle() {
  mMarker = 0;
  return std::exchange(mData, {});
}

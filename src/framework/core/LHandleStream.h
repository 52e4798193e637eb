// A growable in-memory stream. Multi-byte numbers written with operator<< are stored most
// significant byte first, as in MIDI files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class LHandleStream {
 public:
  void WriteData(const void* bytes, std::size_t count);
  LHandleStream& operator<<(std::uint8_t value);
  LHandleStream& operator<<(std::uint16_t value);
  LHandleStream& operator<<(std::uint32_t value);

  std::size_t GetMarker() const { return mMarker; }
  // Moves the write position; positions past the end are clamped to the end.
  void SetMarker(std::size_t marker);
  std::size_t GetLength() const { return mData.size(); }
  void SetLength(std::size_t length);

  std::span<const std::uint8_t> GetBytes() const { return mData; }
  std::vector<std::uint8_t> DetachDataHandle();

 private:
  std::vector<std::uint8_t> mData;
  std::size_t mMarker = 0;
};

#include "midi/platform/CMidiMessageRing.h"

#include <algorithm>

CMidiMessageRing::CMidiMessageRing(std::size_t capacityBytes)
    : mStorage(std::max<std::size_t>(capacityBytes, kLengthBytes + 1)) {}

bool CMidiMessageRing::Push(const std::uint8_t* bytes, std::size_t length) noexcept {
  const std::size_t written = mWriteCount.load(std::memory_order_relaxed);
  const std::size_t read = mReadCount.load(std::memory_order_acquire);
  const std::size_t room = mStorage.size() - (written - read);
  if (bytes == nullptr || length == 0 || length > 0xFFFF || kLengthBytes + length > room) {
    mDropped.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  const std::uint8_t header[kLengthBytes] = {static_cast<std::uint8_t>(length >> 8),
                                             static_cast<std::uint8_t>(length & 0xFF)};
  CopyIn(written, header, kLengthBytes);
  CopyIn(written + kLengthBytes, bytes, length);
  mWriteCount.store(written + kLengthBytes + length, std::memory_order_release);
  return true;
}

bool CMidiMessageRing::Pop(std::vector<std::uint8_t>& out) {
  const std::size_t read = mReadCount.load(std::memory_order_relaxed);
  const std::size_t written = mWriteCount.load(std::memory_order_acquire);
  if (written == read) return false;
  std::uint8_t header[kLengthBytes];
  CopyOut(read, header, kLengthBytes);
  const std::size_t length = (std::size_t{header[0]} << 8) | header[1];
  out.resize(length);
  CopyOut(read + kLengthBytes, out.data(), length);
  mReadCount.store(read + kLengthBytes + length, std::memory_order_release);
  return true;
}

void CMidiMessageRing::CopyIn(std::size_t position, const std::uint8_t* bytes,
                              std::size_t length) noexcept {
  const std::size_t start = position % mStorage.size();
  const std::size_t first = std::min(length, mStorage.size() - start);
  std::copy_n(bytes, first, mStorage.begin() + static_cast<std::ptrdiff_t>(start));
  std::copy_n(bytes + first, length - first, mStorage.begin());
}

void CMidiMessageRing::CopyOut(std::size_t position, std::uint8_t* bytes,
                               std::size_t length) const noexcept {
  const std::size_t start = position % mStorage.size();
  const std::size_t first = std::min(length, mStorage.size() - start);
  std::copy_n(mStorage.begin() + static_cast<std::ptrdiff_t>(start), first, bytes);
  std::copy_n(mStorage.begin(), length - first, bytes + first);
}

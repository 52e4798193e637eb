// A single-producer, single-consumer hand-off of whole MIDI messages from the MIDI thread to
// another thread, in storage fixed at construction. The producer only copies bytes and moves
// its index; a message that does not fit is dropped whole and counted.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class CMidiMessageRing {
 public:
  explicit CMidiMessageRing(std::size_t capacityBytes);
  CMidiMessageRing(const CMidiMessageRing&) = delete;
  CMidiMessageRing& operator=(const CMidiMessageRing&) = delete;

  // Runs on the MIDI thread: never allocates, locks or blocks. False when the message was
  // dropped (empty, longer than 65535 bytes, or no room).
  bool Push(const std::uint8_t* bytes, std::size_t length) noexcept;

  // Consumer side: moves the oldest message into `out`; false when there is none.
  bool Pop(std::vector<std::uint8_t>& out);

  std::size_t GetDroppedCount() const { return mDropped.load(std::memory_order_relaxed); }

 private:
  void CopyIn(std::size_t position, const std::uint8_t* bytes, std::size_t length) noexcept;
  void CopyOut(std::size_t position, std::uint8_t* bytes, std::size_t length) const noexcept;

  static constexpr std::size_t kLengthBytes = 2;

  std::vector<std::uint8_t> mStorage;
  std::atomic<std::size_t> mWriteCount{0};  // bytes ever written; moved by the producer only
  std::atomic<std::size_t> mReadCount{0};   // bytes ever read; moved by the consumer only
  std::atomic<std::size_t> mDropped{0};
};

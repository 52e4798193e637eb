// Helpers shared by the MIDI tests: a recording message handler, a generator of known
// messages and the class-wide MIDI tables for the length of a test.
#pragma once

#include "midi/CMidiInHandler.h"
#include "midi/CMidiOperation.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

using Bytes = std::vector<unsigned char>;

class CRecordingHandler final : public CMidiInHandler {
 public:
  void ProcessMessage(const unsigned char* bytes, long length) override {
    mMessages.emplace_back(bytes, bytes + length);
    mDelivered.fetch_add(1, std::memory_order_release);
  }
  const std::vector<Bytes>& Messages() const { return mMessages; }
  long Delivered() const { return mDelivered.load(std::memory_order_acquire); }

 private:
  std::vector<Bytes> mMessages;
  std::atomic<long> mDelivered{0};
};

// Message number `index` (below 16384): a 3-byte channel message or a SysEx of the length
// given by `lengths`, its bytes fixed by the index so that any mix-up shows.
inline Bytes MakeMessage(std::uint32_t index, const std::vector<std::size_t>& lengths) {
  const std::size_t length = lengths[index % lengths.size()];
  Bytes bytes(length);
  const auto high = static_cast<unsigned char>((index >> 7) & 0x7F);
  const auto low = static_cast<unsigned char>(index & 0x7F);
  if (length <= 3) {
    const unsigned char full[3] = {static_cast<unsigned char>(0x90 | (index & 0x0F)), high, low};
    for (std::size_t i = 0; i < length; ++i) bytes[i] = full[i];
    return bytes;
  }
  bytes[0] = 0xF0;
  bytes[1] = high;
  bytes[2] = low;
  for (std::size_t i = 3; i + 1 < length; ++i) {
    bytes[i] = static_cast<unsigned char>((index * 7 + i) & 0x7F);
  }
  bytes[length - 1] = 0xF7;
  return bytes;
}

// The index a message made by MakeMessage carries (messages of 3 bytes or more).
inline std::uint32_t MessageIndex(const Bytes& bytes) {
  return (static_cast<std::uint32_t>(bytes[1]) << 7) | bytes[2];
}

// The class-wide MIDI state for the length of a scope; no service is current afterwards.
class StMidiTables {
 public:
  explicit StMidiTables(unsigned long inports = 1, unsigned long outports = 1) {
    const unsigned char identifier[] = "\x0AKVX Editor";
    CMidiOperation::Initialize(kKVXEditorSignature, identifier, inports, outports);
  }
  ~StMidiTables() {
    CMidiOperation::SetCurrent(nullptr);
    CMidiOperation::Uninitialize();
  }
  StMidiTables(const StMidiTables&) = delete;
  StMidiTables& operator=(const StMidiTables&) = delete;
};

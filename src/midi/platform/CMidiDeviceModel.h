// The behaviour of the built-in device: what it does with the bytes sent to it, and what it
// sends back when. The MIDI system layer runs it on a thread of its own; every call below comes
// from that thread, with the tick count (1/60 s) of the moment.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class CMidiDeviceModel {
 public:
  virtual ~CMidiDeviceModel() = default;

  // Bytes sent to the device, cut as the sender cut them: one message, several, or a part.
  virtual void ReceiveMidi(std::span<const std::uint8_t> bytes, std::uint32_t now) = 0;

  // The tick at which the next outgoing message falls due, when one is waiting.
  virtual std::optional<std::uint32_t> NextDueTick() const = 0;

  // Moves the next message due at `now` into `out`; false when none is due yet.
  virtual bool TakeDueMessage(std::uint32_t now, std::vector<std::uint8_t>& out) = 0;
};

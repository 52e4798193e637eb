// One MIDI port of our JACK client. An input hands each event of a cycle to its sink, on JACK's
// process thread. An output takes whole messages from one sending thread at a time into a ring
// buffer, which the process thread empties into the port's buffer in its next cycle; a message
// that does not fit a cycle's buffer waits in the ring for the next one.
#pragma once

#include "midi/platform/MIDITypes.h"

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

class CJackCycleCounter;
class CMidiPacketSink;

class CJackMidiPort {
 public:
  static constexpr std::size_t kRingBytes = 64 * 1024;

  // An input port delivering to `sink`, or (without a sink) an output port, on the client
  // whose cycles `cycles` counts. Throws std::bad_alloc when the ring cannot be made.
  CJackMidiPort(jack_port_t* port, CMidiPacketSink* sink, CJackCycleCounter& cycles);
  CJackMidiPort(const CJackMidiPort&) = delete;
  CJackMidiPort& operator=(const CJackMidiPort&) = delete;
  ~CJackMidiPort();

  jack_port_t* GetHandle() const { return mPort; }

  // runs on the MIDI thread: reads or writes this cycle's buffer. Never allocates or locks.
  void Process(jack_nframes_t frames) noexcept;

  // Output only: queues one whole message. Waits a cycle or more while the ring is full (the
  // process thread empties it every cycle); kMIDISendErr when it stays full.
  OSStatus Queue(std::span<const std::uint8_t> message);
  // Returns once every queued message has left the ring and the cycle after the one that
  // took the last of them has ended, so that every client of the graph has had it (at once
  // for an input). False when the deadline passed or the server stopped first.
  bool WaitUntilSent(std::chrono::steady_clock::time_point deadline);

 private:
  void Receive(void* buffer) noexcept;
  void Transmit(void* buffer) noexcept;

  jack_port_t* mPort;
  CMidiPacketSink* mSink;
  CJackCycleCounter& mCycles;
  jack_ringbuffer_t* mRing = nullptr;  // outputs: each message as its length, then its bytes
};

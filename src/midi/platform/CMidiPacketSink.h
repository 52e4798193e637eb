// The end of one connection into the program: turns the bytes the MIDI system hands over into
// packet lists and calls the read procedure with them. One sink serves one connection, and
// its connection delivers from one thread at a time.
#pragma once

#include "midi/platform/MIDITypes.h"

#include <cstddef>
#include <cstdint>

class CMidiPacketSink {
 public:
  CMidiPacketSink(MIDIReadProc readProc, void* readRefCon, void* connRefCon);
  CMidiPacketSink(const CMidiPacketSink&) = delete;
  CMidiPacketSink& operator=(const CMidiPacketSink&) = delete;

  // Runs on the MIDI thread: copies into the list held here (a long message goes out as
  // packets of up to 256 bytes, in as many lists as needed) and calls the read procedure,
  // which must itself be real-time safe. Never allocates, locks or throws.
  void Deliver(const std::uint8_t* bytes, std::size_t length, MIDITimeStamp timeStamp) noexcept;

  // Steady-clock nanoseconds, the time stamp of incoming packets.
  static MIDITimeStamp Now() noexcept;

 private:
  MIDIReadProc mReadProc;
  void* mReadRefCon;
  void* mConnRefCon;
  MIDIPacketList mList;
};

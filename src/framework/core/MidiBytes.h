// Status bytes that the layers look for in MIDI data, on the wire and in MIDI files.
#pragma once

#include <cstdint>

constexpr std::uint8_t kSysexStart = 0xF0;  // start of exclusive
// End of exclusive; in a MIDI file also the status of a SysEx continuation event.
constexpr std::uint8_t kSysexEnd = 0xF7;
// A meta event in a MIDI file (on the wire the same byte is a system reset).
constexpr std::uint8_t kMetaEvent = 0xFF;

// Checks that a byte sequence is a series of complete, well-formed MIDI messages (the bytes a
// template produces, before they are sent to the device). Stateless; never reads outside
// the `count` bytes it is given.
#pragma once

#include <cstdint>

class CMidiChk {
 public:
  static constexpr int kIncomplete = -1;  // the message needs more bytes
  static constexpr int kMalformed = -2;   // a status or data byte where it cannot be

  // True when the whole sequence is a series of well-formed messages; false for count <= 0.
  static bool CheckFull(const std::uint8_t* bytes, int count);

  // The length of the message at the start of `bytes`, or kIncomplete / kMalformed.
  static int ChkData(const std::uint8_t* bytes, int count);
  static int Chk2Byte(const std::uint8_t* bytes, int count);
  static int Chk3Byte(const std::uint8_t* bytes, int count);
  static int ChkSysMes(const std::uint8_t* bytes, int count);
};

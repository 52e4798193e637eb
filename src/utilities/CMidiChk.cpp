#include "utilities/CMidiChk.h"

#include "framework/core/MidiBytes.h"

namespace {

constexpr std::uint8_t kStatusBit = 0x80;

bool isStatus(std::uint8_t value) { return (value & kStatusBit) != 0; }

}  // namespace

bool CMidiChk::CheckFull(const std::uint8_t* bytes, int count) {
  if (bytes == nullptr || count <= 0) return false;
  int offset = 0;
  while (offset < count) {
    int length = ChkData(bytes + offset, count - offset);
    if (length < 0) return false;
    offset += length;
  }
  return true;
}

int CMidiChk::ChkData(const std::uint8_t* bytes, int count) {
  if (bytes == nullptr || count <= 0) return kIncomplete;
  switch (bytes[0] >> 4) {
    case 0x8:
    case 0x9:
    case 0xA:
    case 0xB:
    case 0xE:
      return Chk3Byte(bytes, count);
    case 0xC:
    case 0xD:
      return Chk2Byte(bytes, count);
    case 0xF:
      return ChkSysMes(bytes, count);
    default:
      return kMalformed;  // running status is not allowed: a data byte cannot start a message
  }
}

int CMidiChk::Chk2Byte(const std::uint8_t* bytes, int count) {
  if (bytes == nullptr || count < 2) return kIncomplete;
  return isStatus(bytes[1]) ? kMalformed : 2;
}

int CMidiChk::Chk3Byte(const std::uint8_t* bytes, int count) {
  if (bytes == nullptr || count < 3) return kIncomplete;
  return isStatus(bytes[1]) || isStatus(bytes[2]) ? kMalformed : 3;
}

int CMidiChk::ChkSysMes(const std::uint8_t* bytes, int count) {
  if (bytes == nullptr || count <= 0) return kIncomplete;
  switch (bytes[0]) {
    case kSysexStart:
      for (int i = 1; i < count; ++i) {
        if (!isStatus(bytes[i])) continue;
        return bytes[i] == kSysexEnd ? i + 1 : kMalformed;
      }
      return kIncomplete;
    case 0xF1:  // time code quarter frame
    case 0xF3:  // song select
      return Chk2Byte(bytes, count);
    case 0xF2:  // song position
      return Chk3Byte(bytes, count);
    case 0xF6:
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFF:
      return 1;
    default:  // F4, F5, F9, FD, FE and a stray F7
      return kMalformed;
  }
}

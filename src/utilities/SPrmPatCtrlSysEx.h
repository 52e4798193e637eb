// Payload records of the two template assignments (SysEx template, free message template).
// Plain byte records: copied by value, compared byte for byte, stored in patch files.
#pragma once

#include <cstdint>

struct SPrmPatCtrlSysExDataInfo {
  std::uint8_t dataType;  // data format 0..5 (none, dd, d1 d2, mm ll, ll mm, d1 d2 d3 d4)
  std::uint8_t dataPos;   // index in msg of the first data byte
  std::uint8_t minValue;
  std::uint8_t maxValue;
};

struct SPrmPatCtrlSysEx {
  SPrmPatCtrlSysExDataInfo info;
  std::uint8_t chType;   // 0 none, 1 written "x", 2 written "n"
  std::uint8_t chPos;    // index in msg of the channel byte
  std::uint8_t chHigh;   // 0..7, the high digit of the channel byte
  std::uint8_t csType;   // checksum kind: 0 none, 1 "S1", 2 "S2"
  std::uint8_t csStart;  // index in msg of the first byte the checksum covers
  std::uint8_t csPos;    // index in msg of the checksum byte
  std::uint8_t msg[24];  // F0 .. F7, zero-filled behind the end
};

struct SPrmPatCtrlSysExFree {
  SPrmPatCtrlSysExDataInfo info;
  std::uint8_t chType;
  std::uint8_t chPos;
  std::uint8_t chHigh;
  std::uint8_t msgLen;  // number of message bytes
  std::uint8_t msg[24];
};

static_assert(sizeof(SPrmPatCtrlSysExDataInfo) == 4);
static_assert(sizeof(SPrmPatCtrlSysEx) == 34);
static_assert(sizeof(SPrmPatCtrlSysExFree) == 32);

// Message bytes occupied by each data format.
inline constexpr std::uint8_t kDataSizes[6] = {0, 1, 2, 2, 2, 4};

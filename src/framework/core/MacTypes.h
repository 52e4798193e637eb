// The toolbox basics the system's classes are written in: length-prefixed strings,
// four-character codes, points and rectangles.
#pragma once

#include <cstdint>

using Str255 = unsigned char[256];
using Str63 = unsigned char[64];
using StringPtr = unsigned char*;
using ConstStr255Param = const unsigned char*;

using OSType = std::uint32_t;
using ResType = std::uint32_t;
using ResIDT = std::int16_t;
using PaneIDT = std::int32_t;
using MessageT = std::int32_t;
using CommandT = std::int32_t;
using OSErr = std::int16_t;
using OSStatus = std::int32_t;

// A four-character code, most significant character first: FourCC("Pchg").
constexpr std::uint32_t FourCC(const char (&code)[5]) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

struct Point {
  std::int16_t v = 0;
  std::int16_t h = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  std::int16_t top = 0;
  std::int16_t left = 0;
  std::int16_t bottom = 0;
  std::int16_t right = 0;
  bool operator==(const Rect&) const = default;
};

constexpr OSErr noErr = 0;
constexpr OSErr fnfErr = -43;     // file not found
constexpr OSErr ioErr = -36;      // read or write failed
constexpr OSErr userCanceledErr = -128;

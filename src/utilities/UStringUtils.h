// Hexadecimal and string conversions shared by captions, templates and the HTML list.
#pragma once

#include "framework/core/MacTypes.h"

class UStringUtils {
 public:
  static constexpr char kHexChars[] = "0123456789ABCDEF";

  // Two upper-case hex digits as a length-prefixed string; returns `out`.
  static StringPtr NumToHex(unsigned char value, Str255 out);
  // 0..15 for 0-9, A-F, a-f; 0 for any other character.
  static unsigned char HexCharToNum(char c);
  static char MsbToHex(unsigned char value) { return kHexChars[value >> 4]; }
  static char LsbToHex(unsigned char value) { return kHexChars[value & 0x0F]; }

  // Copy at most capacity - 1 characters; nothing happens for capacity 0 or a null pointer.
  static void PToCStr(ConstStr255Param text, char* out, unsigned char capacity);
  static void CToPStr(const char* text, Str255 out, unsigned char capacity);
};

#include "utilities/UStringUtils.h"

#include <algorithm>
#include <cstring>

StringPtr UStringUtils::NumToHex(unsigned char value, Str255 out) {
  out[0] = 2;
  out[1] = static_cast<unsigned char>(MsbToHex(value));
  out[2] = static_cast<unsigned char>(LsbToHex(value));
  return out;
}

unsigned char UStringUtils::HexCharToNum(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned char>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned char>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned char>(c - 'a' + 10);
  return 0;
}

void UStringUtils::PToCStr(ConstStr255Param text, char* out, unsigned char capacity) {
  if (text == nullptr || out == nullptr || capacity == 0) return;
  std::size_t count = std::min<std::size_t>(text[0], capacity - 1u);
  std::memcpy(out, text + 1, count);
  out[count] = '\0';
}

void UStringUtils::CToPStr(const char* text, Str255 out, unsigned char capacity) {
  if (text == nullptr || out == nullptr || capacity == 0) return;
  std::size_t count = std::min<std::size_t>({std::strlen(text), capacity - 1u, 255u});
  std::memcpy(out + 1, text, count);
  out[0] = static_cast<unsigned char>(count);
}

#include "framework/core/LString.h"

#include "framework/core/UStringLists.h"

#include <algorithm>
#include <cstring>

StringPtr LString::CopyPStr(ConstStr255Param source, StringPtr destination,
                            std::size_t destinationSize) {
  if (destination == nullptr || destinationSize == 0) return destination;
  std::size_t length = source ? source[0] : 0;
  length = std::min(length, destinationSize - 1);
  if (length > 0) std::memmove(destination + 1, source + 1, length);
  destination[0] = static_cast<unsigned char>(length);
  return destination;
}

StringPtr LString::FromStd(std::string_view text, StringPtr destination,
                           std::size_t destinationSize) {
  if (destination == nullptr || destinationSize == 0) return destination;
  std::size_t length = std::min({text.size(), destinationSize - 1, std::size_t{255}});
  if (length > 0) std::memcpy(destination + 1, text.data(), length);
  destination[0] = static_cast<unsigned char>(length);
  return destination;
}

std::string LString::ToStd(ConstStr255Param text) { return std::string(View(text)); }

std::string_view LString::View(ConstStr255Param text) {
  if (text == nullptr) return {};
  return {reinterpret_cast<const char*>(text + 1), text[0]};
}

void LString::Append(StringPtr text, std::string_view more) {
  std::size_t room = 255 - text[0];
  std::size_t count = std::min(room, more.size());
  std::memcpy(text + 1 + text[0], more.data(), count);
  text[0] = static_cast<unsigned char>(text[0] + count);
}

LStr255::LStr255(ResIDT listID, std::int16_t index) {
  LString::FromStd(UStringLists::GetIndString(listID, index), mText);
}

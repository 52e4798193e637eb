// The clipboard. Each flavour (a four-character type) has a MIME type of its own: 'TEXT' is
// plain text (Mac Roman here, Unicode on the clipboard), every other type is
// "application/x-kvx-editor.<type>" (the type's characters when they are letters and digits,
// else "0x" and its hex digits), holding the bytes as they are.
#pragma once

#include "framework/core/MacTypes.h"

#include <QString>

#include <cstdint>
#include <vector>

constexpr OSErr noTypeErr = -102;

class UScrap {
 public:
  static QString MimeTypeOf(ResType type);

  // Puts `size` bytes of flavour `type` on the clipboard; `clear` first removes what is there,
  // otherwise the other flavours stay.
  static void SetData(ResType type, const void* data, std::int32_t size, bool clear = true);
  // The bytes of flavour `type` into `data` (may be null); returns their count, or noTypeErr
  // when the clipboard holds no such flavour.
  static std::int32_t GetData(ResType type, std::vector<std::uint8_t>* data);
  static bool HasData(ResType type);
  static void ClearData();
};

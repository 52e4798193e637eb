// Text between the framework's strings and Qt. Length-prefixed strings (Str255) hold Mac Roman,
// as every string of the core does; std::string texts passed to the framework are UTF-8.
#pragma once

#include "framework/core/MacTypes.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

class UQtText {
 public:
  static QString FromPStr(ConstStr255Param macRoman);
  static QString FromMacRoman(std::string_view macRoman);
  // Characters without a Mac Roman form become '?'.
  static std::string ToMacRoman(const QString& text);
  // Characters without a Mac Roman form become '?'; longer texts are cut at `capacity` - 1.
  static StringPtr ToPStr(const QString& text, StringPtr out, std::size_t capacity = 256);

  static QString FromUTF8(std::string_view utf8);
  static std::string ToUTF8(const QString& text);

  // "Pchg" for FourCC("Pchg"); the number in decimal when the code is not four printable
  // ASCII characters.
  static QString CodeText(std::uint32_t code);

  // Escapes '&' so that a text shows as it is in a menu item or button.
  static QString Literal(const QString& text);
  // The text as shown: "&&" is an '&', a single '&' (a mnemonic mark) is dropped.
  static QString WithoutMnemonics(const QString& text);
};

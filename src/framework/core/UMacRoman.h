// Mac Roman, the character set of every text a patch holds (title, names, copyright notices),
// converted to and from UTF-8. Each of the 256 bytes stands for exactly one Unicode character
// and back, so Mac Roman -> UTF-8 -> Mac Roman gives the same bytes. Bytes 00-7F are ASCII,
// control characters included; the upper half follows Apple's mapping (DB is the euro sign,
// F0 the Apple logo in the private use area, U+F8FF).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class UMacRoman {
 public:
  // Why a UTF-8 text could not be converted, and where.
  struct SError {
    enum class EKind { NoMacRomanForm, InvalidUTF8 };
    EKind kind = EKind::NoMacRomanForm;
    std::size_t position = 0;  // characters before the failing one (NoMacRomanForm), or bytes
                               // before the first bad byte (InvalidUTF8)
    char32_t character = 0;    // the character without a Mac Roman form

    // For example: character 4 (U+4E2D) has no Mac Roman form. Positions are shown from 1.
    std::string Describe() const;
  };

  static char32_t ToUnicode(std::uint8_t byte);
  // The byte that stands for `character`, or nothing when Mac Roman has no such character.
  static std::optional<std::uint8_t> FromUnicode(char32_t character);

  // Never fails: every byte has a Unicode form.
  static std::string ToUTF8(std::string_view macRoman);
  static std::string ToUTF8(std::span<const std::uint8_t> macRoman);

  // The Mac Roman bytes of a UTF-8 text, or nothing (with `error` filled when given) when the
  // text is not valid UTF-8 or holds a character that Mac Roman lacks.
  static std::optional<std::string> FromUTF8(std::string_view utf8, SError* error = nullptr);
};

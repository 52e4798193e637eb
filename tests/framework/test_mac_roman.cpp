#include <gtest/gtest.h>

#include <set>
#include <string>

#include "framework/core/UMacRoman.h"

namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(UMacRoman, EveryByteHasItsOwnCharacter) {
  std::set<char32_t> seen;
  for (int b = 0; b < 256; ++b) {
    char32_t c = UMacRoman::ToUnicode(static_cast<std::uint8_t>(b));
    EXPECT_TRUE(seen.insert(c).second)
        << "byte " << b << " shares U+" << std::hex << static_cast<unsigned>(c);
    auto back = UMacRoman::FromUnicode(c);
    ASSERT_TRUE(back.has_value()) << "byte " << b;
    EXPECT_EQ(*back, b);
  }
}

TEST(UMacRoman, AllBytesSurviveTheWayThroughUTF8) {
  const std::string bytes = AllBytes();
  std::string utf8 = UMacRoman::ToUTF8(bytes);
  auto back = UMacRoman::FromUTF8(utf8);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, bytes);
}

struct SByteRow {
  const char* name;
  std::uint8_t byte;
  char32_t character;
  const char* utf8;
};

TEST(UMacRoman, KnownCharacters) {
  const SByteRow rows[] = {
      {"nul stays a control character", 0x00, 0x0000, ""},
      {"tab", 0x09, 0x0009, "\t"},
      {"carriage return", 0x0D, 0x000D, "\r"},
      {"ascii letter", 0x41, 0x0041, "A"},
      {"delete", 0x7F, 0x007F, "\x7F"},
      {"first upper byte", 0x80, 0x00C4, "\xC3\x84"},
      {"bullet", 0xA5, 0x2022, "\xE2\x80\xA2"},
      {"omega", 0xBD, 0x03A9, "\xCE\xA9"},
      {"increment, not greek delta", 0xC6, 0x2206, "\xE2\x88\x86"},
      {"no-break space", 0xCA, 0x00A0, "\xC2\xA0"},
      {"euro sign", 0xDB, 0x20AC, "\xE2\x82\xAC"},
      {"fi ligature", 0xDE, 0xFB01, "\xEF\xAC\x81"},
      {"apple logo", 0xF0, 0xF8FF, "\xEF\xA3\xBF"},
      {"caron", 0xFF, 0x02C7, "\xCB\x87"},
  };
  for (const SByteRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(UMacRoman::ToUnicode(row.byte), row.character);
    const std::string expected = row.byte == 0 ? std::string(1, '\0') : std::string(row.utf8);
    const std::string single(1, static_cast<char>(row.byte));
    EXPECT_EQ(UMacRoman::ToUTF8(single), expected);
    EXPECT_EQ(UMacRoman::FromUTF8(expected), single);
  }
}

TEST(UMacRoman, EmptyTextConvertsToEmptyText) {
  EXPECT_EQ(UMacRoman::ToUTF8(std::string_view()), "");
  EXPECT_EQ(UMacRoman::FromUTF8(""), std::string());
}

struct SFailureRow {
  const char* name;
  std::string utf8;
  UMacRoman::SError::EKind kind;
  std::size_t position;
  char32_t character;
  const char* description;
};

TEST(UMacRoman, TextsWithoutMacRomanFormAreRefusedWithThePlace) {
  using EKind = UMacRoman::SError::EKind;
  const SFailureRow rows[] = {
      {"cjk after three letters", "ab\xC3\xA9\xE4\xB8\xAD", EKind::NoMacRomanForm, 3, 0x4E2D,
       "character 4 (U+4E2D) has no Mac Roman form"},
      {"greek capital delta", "\xCE\x94", EKind::NoMacRomanForm, 0, 0x0394,
       "character 1 (U+0394) has no Mac Roman form"},
      {"currency sign (old mapping of DB)", "x\xC2\xA4", EKind::NoMacRomanForm, 1, 0x00A4,
       "character 2 (U+00A4) has no Mac Roman form"},
      {"emoji beyond the basic plane", "\xF0\x9F\x8E\xB9", EKind::NoMacRomanForm, 0, 0x1F3B9,
       "character 1 (U+1F3B9) has no Mac Roman form"},
      {"lone continuation byte", "ab\x80", EKind::InvalidUTF8, 2, 0, "byte 3 is not valid UTF-8"},
      {"overlong nul", "\xC0\x80", EKind::InvalidUTF8, 0, 0, "byte 1 is not valid UTF-8"},
      {"surrogate", "a\xED\xA0\x80", EKind::InvalidUTF8, 1, 0, "byte 2 is not valid UTF-8"},
      {"cut sequence at the end", "\xE2\x82", EKind::InvalidUTF8, 0, 0,
       "byte 1 is not valid UTF-8"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", EKind::InvalidUTF8, 0, 0,
       "byte 1 is not valid UTF-8"},
  };
  for (const SFailureRow& row : rows) {
    SCOPED_TRACE(row.name);
    UMacRoman::SError error;
    EXPECT_FALSE(UMacRoman::FromUTF8(row.utf8, &error).has_value());
    EXPECT_EQ(error.kind, row.kind);
    EXPECT_EQ(error.position, row.position);
    EXPECT_EQ(error.character, row.character);
    EXPECT_EQ(error.Describe(), row.description);
  }
}

}  // namespace

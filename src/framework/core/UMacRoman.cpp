#include "framework/core/UMacRoman.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace {

// Unicode characters of the bytes 80-FF.
constexpr char32_t kUpperHalf[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // A8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // B0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // B8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // D0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // E8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // F8
};

using SReverseEntry = std::pair<char32_t, std::uint8_t>;

// The upper half sorted by character, for the way back.
const std::array<SReverseEntry, 128>& ReverseTable() {
  static const std::array<SReverseEntry, 128> table = [] {
    std::array<SReverseEntry, 128> entries{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
      entries[i] = {kUpperHalf[i], static_cast<std::uint8_t>(0x80 + i)};
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }();
  return table;
}

void AppendUTF8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    // The table holds nothing beyond the Basic Multilingual Plane.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes the character at `pos` and moves past it. Refuses overlong forms, surrogates, values
// above U+10FFFF and cut sequences.
std::optional<char32_t> DecodeUTF8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  std::size_t count = 0;
  char32_t value = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    count = 1, value = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    count = 2, value = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    count = 3, value = lead & 0x07, smallest = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() - pos <= count) return std::nullopt;
  for (std::size_t k = 1; k <= count; ++k) {
    const auto next = static_cast<std::uint8_t>(text[pos + k]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return std::nullopt;
  }
  pos += count + 1;
  return value;
}

}  // namespace

std::string UMacRoman::SError::Describe() const {
  char text[96];
  if (kind == EKind::InvalidUTF8) {
    std::snprintf(text, sizeof text, "byte %zu is not valid UTF-8", position + 1);
  } else {
    std::snprintf(text, sizeof text, "character %zu (U+%04X) has no Mac Roman form", position + 1,
                  static_cast<unsigned>(character));
  }
  return text;
}

char32_t UMacRoman::ToUnicode(std::uint8_t byte) {
  return byte < 0x80 ? char32_t{byte} : kUpperHalf[byte - 0x80];
}

std::optional<std::uint8_t> UMacRoman::FromUnicode(char32_t character) {
  if (character < 0x80) return static_cast<std::uint8_t>(character);
  const auto& table = ReverseTable();
  auto found = std::lower_bound(table.begin(), table.end(), SReverseEntry{character, 0});
  if (found == table.end() || found->first != character) return std::nullopt;
  return found->second;
}

std::string UMacRoman::ToUTF8(std::string_view macRoman) {
  std::string out;
  out.reserve(macRoman.size() * 2);
  for (char byte : macRoman) AppendUTF8(out, ToUnicode(static_cast<std::uint8_t>(byte)));
  return out;
}

std::string UMacRoman::ToUTF8(std::span<const std::uint8_t> macRoman) {
  return ToUTF8(std::string_view(reinterpret_cast<const char*>(macRoman.data()), macRoman.size()));
}

std::optional<std::string> UMacRoman::FromUTF8(std::string_view utf8, SError* error) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  for (std::size_t characters = 0; pos < utf8.size(); ++characters) {
    const std::size_t start = pos;
    std::optional<char32_t> c = DecodeUTF8(utf8, pos);
    if (!c) {
      if (error) *error = {SError::EKind::InvalidUTF8, start, 0};
      return std::nullopt;
    }
    std::optional<std::uint8_t> byte = FromUnicode(*c);
    if (!byte) {
      if (error) *error = {SError::EKind::NoMacRomanForm, characters, *c};
      return std::nullopt;
    }
    out += static_cast<char>(*byte);
  }
  return out;
}

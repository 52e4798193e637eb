#include "framework/ui/UQtText.h"

#include "framework/core/UMacRoman.h"

#include <algorithm>

QString UQtText::FromPStr(ConstStr255Param macRoman) {
  if (macRoman == nullptr) return {};
  return FromMacRoman(std::string_view(reinterpret_cast<const char*>(macRoman + 1), macRoman[0]));
}

QString UQtText::FromMacRoman(std::string_view macRoman) {
  return QString::fromStdString(UMacRoman::ToUTF8(macRoman));
}

StringPtr UQtText::ToPStr(const QString& text, StringPtr out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return out;
  const std::size_t room = std::min<std::size_t>(capacity - 1, 255);
  std::size_t length = 0;
  for (char32_t character : text.toStdU32String()) {
    if (length == room) break;
    out[++length] = UMacRoman::FromUnicode(character).value_or(static_cast<std::uint8_t>('?'));
  }
  out[0] = static_cast<unsigned char>(length);
  return out;
}

std::string UQtText::ToMacRoman(const QString& text) {
  std::string bytes;
  for (char32_t character : text.toStdU32String())
    bytes += static_cast<char>(
        UMacRoman::FromUnicode(character).value_or(static_cast<std::uint8_t>('?')));
  return bytes;
}

QString UQtText::FromUTF8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string UQtText::ToUTF8(const QString& text) { return text.toStdString(); }

QString UQtText::CodeText(std::uint32_t code) {
  QString text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char character = static_cast<char>((code >> shift) & 0xFF);
    if (character < 0x20 || character > 0x7E)
      return QString::number(static_cast<std::int32_t>(code));
    text += QLatin1Char(character);
  }
  return text;
}

QString UQtText::Literal(const QString& text) {
  QString escaped = text;
  escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return escaped;
}

QString UQtText::WithoutMnemonics(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size())
      ++i;
    else if (text[i] == QLatin1Char('&'))
      continue;
    shown += text[i];
  }
  return shown;
}

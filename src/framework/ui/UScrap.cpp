#include "framework/ui/UScrap.h"

#include "framework/ui/UQtText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

namespace {

constexpr ResType kTextType = FourCC("TEXT");

bool isPlainCode(ResType type) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char character = static_cast<char>((type >> shift) & 0xFF);
    const bool plain = (character >= 'a' && character <= 'z') ||
                       (character >= 'A' && character <= 'Z') ||
                       (character >= '0' && character <= '9');
    if (!plain) return false;
  }
  return true;
}

}  // namespace

QString UScrap::MimeTypeOf(ResType type) {
  if (type == kTextType) return QStringLiteral("text/plain");
  const QString name = isPlainCode(type)
                           ? UQtText::CodeText(type)
                           : QStringLiteral("0x%1").arg(type, 8, 16, QLatin1Char('0'));
  return QStringLiteral("application/x-kvx-editor.") + name;
}

void UScrap::SetData(ResType type, const void* data, std::int32_t size, bool clear) {
  auto mime = std::make_unique<QMimeData>();
  if (!clear) {
    if (const QMimeData* current = QGuiApplication::clipboard()->mimeData()) {
      for (const QString& format : current->formats()) mime->setData(format, current->data(format));
    }
  }
  const QByteArray bytes(static_cast<const char*>(data), size > 0 ? size : 0);
  if (type == kTextType) {
    mime->setText(UQtText::FromMacRoman(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
  } else {
    mime->setData(MimeTypeOf(type), bytes);
  }
  QGuiApplication::clipboard()->setMimeData(mime.release());
}

std::int32_t UScrap::GetData(ResType type, std::vector<std::uint8_t>* data) {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  if (mime == nullptr || !mime->hasFormat(MimeTypeOf(type))) return noTypeErr;
  QByteArray bytes;
  if (type == kTextType) {
    const std::string text = UQtText::ToMacRoman(mime->text());
    bytes = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
  } else {
    bytes = mime->data(MimeTypeOf(type));
  }
  if (data != nullptr) data->assign(bytes.begin(), bytes.end());
  return static_cast<std::int32_t>(bytes.size());
}

bool UScrap::HasData(ResType type) {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  return mime != nullptr && mime->hasFormat(MimeTypeOf(type));
}

void UScrap::ClearData() { QGuiApplication::clipboard()->clear(); }

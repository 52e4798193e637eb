#include "framework/ui/UPrerenderedPicture.h"

#include <QResource>

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint32_t kTag = 0x4B565850;  // 'KVXP'
constexpr std::uint32_t kLargestSide = 1U << 14;
constexpr qsizetype kHeaderSize = 16;

struct SHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t pixelRatio = 0;
};

bool ReadHeader(const QByteArray& data, SHeader& header) {
  if (data.size() < kHeaderSize) return false;
  std::array<std::uint32_t, 4> fields{};
  std::memcpy(fields.data(), data.constData(), kHeaderSize);
  header = {fields[1], fields[2], fields[3]};
  if (fields[0] != kTag || header.width == 0 || header.height == 0 ||
      header.width > kLargestSide || header.height > kLargestSide || header.pixelRatio == 0 ||
      header.pixelRatio > 4) {
    return false;
  }
  const qsizetype pixels = qsizetype(header.width) * header.height;
  return data.size() == kHeaderSize + pixels * 4;
}

}  // namespace

QByteArray UPrerenderedPicture::Encode(const QImage& image, int pixelRatio) {
  const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const std::array<std::uint32_t, 4> fields{kTag, std::uint32_t(pixels.width()),
                                            std::uint32_t(pixels.height()),
                                            std::uint32_t(pixelRatio)};
  QByteArray data(reinterpret_cast<const char*>(fields.data()), kHeaderSize);
  const qsizetype rowBytes = qsizetype(pixels.width()) * 4;
  for (int row = 0; row < pixels.height(); ++row) {
    data.append(reinterpret_cast<const char*>(pixels.constScanLine(row)), rowBytes);
  }
  return data;
}

QImage UPrerenderedPicture::Decode(const QByteArray& data) {
  SHeader header;
  if (!ReadHeader(data, header)) return QImage();
  // Copied row by row: the data need not be aligned as QImage's pixels must be.
  QImage image(int(header.width), int(header.height), QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return image;
  const qsizetype rowBytes = qsizetype(header.width) * 4;
  const char* row = data.constData() + kHeaderSize;
  for (int y = 0; y < image.height(); ++y, row += rowBytes) {
    std::memcpy(image.scanLine(y), row, rowBytes);
  }
  image.setDevicePixelRatio(header.pixelRatio);
  return image;
}

QSize UPrerenderedPicture::PixelSize(const QByteArray& data) {
  SHeader header;
  if (!ReadHeader(data, header)) return QSize();
  return QSize(int(header.width), int(header.height));
}

QString UPrerenderedPicture::PathFor(const QString& drawing, int pixelRatio) {
  QString path = drawing;
  if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) path.chop(4);
  return path + QStringLiteral("@%1x.kvxpic").arg(pixelRatio);
}

QByteArray UPrerenderedPicture::ResourceData(const QString& path) {
  const QResource resource(path);
  if (!resource.isValid()) return QByteArray();
  return resource.uncompressedData();
}

// Drawings rendered at build time: the raw picture format, and when a picture pane draws one
// instead of its SVG.
#include "UiTestSupport.h"

#include "framework/ui/LPicture.h"
#include "framework/ui/UPrerenderedPicture.h"

#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

QImage SamplePixels() {
  QImage image(3, 2, QImage::Format_ARGB32_Premultiplied);
  const QRgb pixels[] = {qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 255), qRgba(0, 0, 255, 255),
                         qRgba(0, 0, 0, 0),     qRgba(64, 32, 16, 128), qRgba(1, 2, 3, 4)};
  for (int i = 0; i < 6; ++i) image.setPixel(i % 3, i / 3, pixels[i]);
  image.setDevicePixelRatio(2);
  return image;
}

void SetHeaderField(QByteArray& data, int field, std::uint32_t value) {
  std::memcpy(data.data() + field * 4, &value, sizeof value);
}

QColor ColorAt(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// The offscreen screen has pixel ratio 1: the drawing for other ratios is asked for directly.
class CPictureAtRatio final : public LPicture {
 public:
  using LPicture::LPicture;
  QImage DrawnAt(qreal pixelRatio) { return RenderedSvg(pixelRatio).toImage(); }
};

}  // namespace

TEST(UPrerenderedPicture, GivesThePixelsAndTheRatioBack) {
  const QImage image = SamplePixels();
  const QByteArray data = UPrerenderedPicture::Encode(image, 2);
  EXPECT_EQ(data.size(), 16 + 3 * 2 * 4);
  EXPECT_EQ(UPrerenderedPicture::PixelSize(data), QSize(3, 2));
  const QImage decoded = UPrerenderedPicture::Decode(data);
  EXPECT_EQ(decoded.devicePixelRatio(), 2.0);
  EXPECT_EQ(decoded, image);
  EXPECT_EQ(UPrerenderedPicture::PathFor(QStringLiteral(":/device/kvx-device.svg"), 2),
            QStringLiteral(":/device/kvx-device@2x.kvxpic"));
}

TEST(UPrerenderedPicture, DamagedDataGivesNoPicture) {
  const QByteArray good = UPrerenderedPicture::Encode(SamplePixels(), 2);
  struct SRow {
    const char* name;
    QByteArray data;
  };
  const auto withField = [&good](int field, std::uint32_t value) {
    QByteArray data = good;
    SetHeaderField(data, field, value);
    return data;
  };
  const SRow rows[] = {
      {"empty", QByteArray()},
      {"header cut short", good.left(10)},
      {"header only", good.left(16)},
      {"last pixel cut short", good.left(good.size() - 1)},
      {"a byte too many", good + QByteArray(1, '\0')},
      {"another tag", withField(0, 0x504E4700)},
      {"no width", withField(1, 0)},
      {"no height", withField(2, 0)},
      {"width beyond any screen", withField(1, 1U << 20)},
      {"width and height whose product wraps", withField(2, 0x40000001)},
      {"ratio 0", withField(3, 0)},
      {"ratio 5", withField(3, 5)},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(UPrerenderedPicture::Decode(row.data).isNull());
    EXPECT_FALSE(UPrerenderedPicture::PixelSize(row.data).isValid());
  }
}

// pictures/marked.svg is red and blue halves; the build renders an all-green drawing as its
// picture for ratio 1, and none for ratio 2.
TEST(LPicture, DrawsThePrerenderedPictureOnlyAtItsOwnSizeAndRatio) {
  CPictureAtRatio picture(nullptr, 1, QStringLiteral("pictures/marked.svg"));
  EXPECT_EQ(picture.sizeHint(), QSize(40, 20)) << "from the prerendered picture";
  picture.resize(40, 20);
  const QImage shown = picture.grab().toImage();
  EXPECT_EQ(ColorAt(shown, 5, 10), QColor(Qt::green));
  EXPECT_EQ(ColorAt(shown, 35, 10), QColor(Qt::green));

  const QImage atTwo = picture.DrawnAt(2);
  EXPECT_EQ(atTwo.size(), QSize(80, 40));
  EXPECT_EQ(ColorAt(atTwo, 10, 20), QColor(Qt::red)) << "no picture for ratio 2: the SVG";
  EXPECT_EQ(ColorAt(atTwo, 70, 20), QColor(Qt::blue));
  EXPECT_EQ(ColorAt(picture.DrawnAt(1), 35, 10), QColor(Qt::green)) << "ratio 1 again";

  picture.resize(80, 40);
  const QImage larger = picture.DrawnAt(1);
  EXPECT_EQ(larger.size(), QSize(80, 40));
  EXPECT_EQ(ColorAt(larger, 10, 20), QColor(Qt::red)) << "another size: the SVG";
  EXPECT_EQ(ColorAt(larger, 70, 20), QColor(Qt::blue));
  picture.resize(60, 20);
  EXPECT_EQ(picture.DrawnAt(1).size(), QSize(40, 20)) << "the aspect ratio kept";
}

// The device drawing's prerendered pictures must be what its SVG draws now: a picture left
// behind by an older drawing, or a faulty rendering, shows here.
TEST(LPicture, TheDeviceDrawingIsPrerenderedAsItsSvgDraws) {
  const QString drawing = QStringLiteral(":/device/kvx-device.svg");
  QSvgRenderer svg(drawing);
  ASSERT_TRUE(svg.isValid());
  for (const int ratio : {1, 2}) {
    SCOPED_TRACE(ratio);
    const QImage prerendered = UPrerenderedPicture::Decode(
        UPrerenderedPicture::ResourceData(UPrerenderedPicture::PathFor(drawing, ratio)));
    ASSERT_EQ(prerendered.size(), svg.defaultSize() * ratio);
    QImage fresh(prerendered.size(), QImage::Format_ARGB32_Premultiplied);
    fresh.setDevicePixelRatio(ratio);
    fresh.fill(Qt::transparent);
    {
      QPainter painter(&fresh);
      svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(svg.defaultSize())));
    }
    int differing = 0;
    for (int y = 0; y < fresh.height(); ++y) {
      const auto* made = reinterpret_cast<const QRgb*>(prerendered.constScanLine(y));
      const auto* drawn = reinterpret_cast<const QRgb*>(fresh.constScanLine(y));
      for (int x = 0; x < fresh.width(); ++x) {
        const int most = std::max({std::abs(qRed(made[x]) - qRed(drawn[x])),
                                   std::abs(qGreen(made[x]) - qGreen(drawn[x])),
                                   std::abs(qBlue(made[x]) - qBlue(drawn[x])),
                                   std::abs(qAlpha(made[x]) - qAlpha(drawn[x]))});
        if (most > 2) ++differing;
      }
    }
    EXPECT_EQ(differing, 0);
  }
}

#include "framework/ui/LPicture.h"

#include "framework/ui/UPrerenderedPicture.h"
#include "framework/ui/UQtText.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace {

// Pixel ratios for which a drawing may come rendered already.
constexpr int kPrerenderedRatios[] = {1, 2};

}  // namespace

LPicture::LPicture(const LPaneData& data) : LPane(data) { SetPictureID(data.GetString("picture")); }

LPicture::LPicture(LView* superView, PaneIDT paneID, const QString& picture)
    : LPane(superView, paneID) {
  SetPictureID(picture);
}

LPicture::~LPicture() = default;

void LPicture::SetPictureID(const QString& picture) {
  QString path = picture;
  if (!path.isEmpty() && !path.startsWith(QLatin1Char(':'))) path.prepend(QStringLiteral(":/"));
  std::unique_ptr<QSvgRenderer> svg;
  QSize svgSize;
  QPixmap image;
  if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
    // With a rendering at ratio 1 the drawing's size is in its header: the SVG is read only
    // when some other size or ratio is asked for.
    if (QFile::exists(path)) {
      svgSize = UPrerenderedPicture::PixelSize(
          UPrerenderedPicture::ResourceData(UPrerenderedPicture::PathFor(path, 1)));
    }
    if (!svgSize.isValid()) {
      svg = std::make_unique<QSvgRenderer>(path);
      if (svg->isValid()) svgSize = svg->defaultSize();
    }
  } else if (!path.isEmpty()) {
    image.load(path);
  }
  if (!path.isEmpty() && !svgSize.isValid() && image.isNull()) {
    LException::ThrowException(
        resNotFound, UQtText::ToUTF8(path + QStringLiteral(": no picture can be read there")));
  }
  mPicture = path;
  mSvg = std::move(svg);
  mSvgSize = svgSize;
  mSvgCache = QPixmap();
  mImage = image;
  updateGeometry();
  update();
}

QSize LPicture::sizeHint() const {
  if (mSvgSize.isValid()) return mSvgSize;
  if (!mImage.isNull()) return mImage.size() / mImage.devicePixelRatio();
  return LPane::sizeHint();
}

void LPicture::DrawSelf() {
  QPainter* painter = GetPainter();
  if (painter == nullptr) return;
  const QRectF frame(QPointF(0, 0), QSizeF(size()));
  if (mSvgSize.isValid()) {
    painter->drawPixmap(QPointF(0, 0), RenderedSvg(painter->device()->devicePixelRatioF()));
  } else if (!mImage.isNull()) {
    painter->drawPixmap(frame, mImage, QRectF(mImage.rect()));
  }
}

const QPixmap& LPicture::RenderedSvg(qreal pixelRatio) {
  const QSize pixels = (QSizeF(size()) * pixelRatio).toSize();
  if (mSvgCache.size() == pixels && mSvgCache.devicePixelRatio() == pixelRatio) return mSvgCache;
  if (LoadPrerendered(pixelRatio, pixels)) return mSvgCache;
  if (mSvg == nullptr) mSvg = std::make_unique<QSvgRenderer>(mPicture);
  mSvgCache = QPixmap(pixels);
  mSvgCache.setDevicePixelRatio(pixelRatio);
  mSvgCache.fill(Qt::transparent);
  QPainter cachePainter(&mSvgCache);
  mSvg->render(&cachePainter, QRectF(QPointF(0, 0), QSizeF(size())));
  return mSvgCache;
}

bool LPicture::LoadPrerendered(qreal pixelRatio, QSize pixels) {
  for (const int ratio : kPrerenderedRatios) {
    if (std::abs(pixelRatio - ratio) > 1e-6) continue;
    QImage rendered = UPrerenderedPicture::Decode(
        UPrerenderedPicture::ResourceData(UPrerenderedPicture::PathFor(mPicture, ratio)));
    if (rendered.size() != pixels) return false;
    rendered.setDevicePixelRatio(pixelRatio);
    mSvgCache = QPixmap::fromImage(std::move(rendered));
    return true;
  }
  return false;
}

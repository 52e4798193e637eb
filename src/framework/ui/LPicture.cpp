#include "framework/ui/LPicture.h"

#include "framework/ui/UQtText.h"

#include <QPainter>
#include <QSvgRenderer>

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
  QPixmap image;
  if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
    svg = std::make_unique<QSvgRenderer>(path);
    if (!svg->isValid()) svg.reset();
  } else if (!path.isEmpty()) {
    image.load(path);
  }
  if (!path.isEmpty() && svg == nullptr && image.isNull()) {
    LException::ThrowException(
        resNotFound, UQtText::ToUTF8(path + QStringLiteral(": no picture can be read there")));
  }
  mPicture = path;
  mSvg = std::move(svg);
  mSvgCache = QPixmap();
  mImage = image;
  updateGeometry();
  update();
}

QSize LPicture::sizeHint() const {
  if (mSvg != nullptr) return mSvg->defaultSize();
  if (!mImage.isNull()) return mImage.size() / mImage.devicePixelRatio();
  return LPane::sizeHint();
}

void LPicture::DrawSelf() {
  QPainter* painter = GetPainter();
  if (painter == nullptr) return;
  const QRectF frame(QPointF(0, 0), QSizeF(size()));
  if (mSvg != nullptr) {
    painter->drawPixmap(QPointF(0, 0), RenderedSvg(painter->device()->devicePixelRatioF()));
  } else if (!mImage.isNull()) {
    painter->drawPixmap(frame, mImage, QRectF(mImage.rect()));
  }
}

const QPixmap& LPicture::RenderedSvg(qreal pixelRatio) {
  const QSize pixels = (QSizeF(size()) * pixelRatio).toSize();
  if (mSvgCache.size() != pixels || mSvgCache.devicePixelRatio() != pixelRatio) {
    mSvgCache = QPixmap(pixels);
    mSvgCache.setDevicePixelRatio(pixelRatio);
    mSvgCache.fill(Qt::transparent);
    QPainter cachePainter(&mSvgCache);
    mSvg->render(&cachePainter, QRectF(QPointF(0, 0), QSizeF(size())));
  }
  return mSvgCache;
}

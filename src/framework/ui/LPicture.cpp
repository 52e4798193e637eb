#include "framework/ui/LPicture.h"

#include "framework/ui/UPrerenderedPicture.h"
#include "framework/ui/UQtText.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

namespace {

// Pixel ratios for which a drawing may come rendered already.
constexpr int kPrerenderedRatios[] = {1, 2};

bool SameRatio(qreal a, qreal b) { return std::abs(a - b) < 1e-6; }

// Fills a pixmap or an image of the pixel size wanted with the drawing.
template <typename Canvas>
Canvas Rendered(QSvgRenderer& svg, Canvas canvas, qreal pixelRatio) {
  canvas.setDevicePixelRatio(pixelRatio);
  canvas.fill(Qt::transparent);
  QPainter painter(&canvas);
  svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(canvas.size()) / pixelRatio));
  painter.end();
  return canvas;
}

}  // namespace

LPicture::LPicture(const LPaneData& data) : LPane(data) {
  SetPictureID(data.GetString("picture"));
  SetUpSharpRenderTimer();
}

LPicture::LPicture(LView* superView, PaneIDT paneID, const QString& picture)
    : LPane(superView, paneID) {
  SetPictureID(picture);
  SetUpSharpRenderTimer();
}

LPicture::~LPicture() {
  // The worker reads only its own copies, but it should not outlive the application's fonts.
  mSharpRender.waitForFinished();
}

void LPicture::SetUpSharpRenderTimer() {
  mSharpRenderTimer.setSingleShot(true);
  mSharpRenderTimer.setInterval(kSharpRenderDelayMs);
  connect(&mSharpRenderTimer, &QTimer::timeout, this, &LPicture::StartSharpRender);
  connect(&mSharpRender, &QFutureWatcher<QImage>::finished, this, &LPicture::TakeSharpRender);
}

void LPicture::StartSharpRender() {
  const qreal pixelRatio = devicePixelRatioF();
  const QSize pixels = PixelSizeAt(pixelRatio);
  if (!mSvgSize.isValid() || pixels.isEmpty() || FindRendering(pixels, pixelRatio) != nullptr) {
    update();
    return;
  }
  mSharpRenderPixels = pixels;
  mSharpRenderRatio = pixelRatio;
  mSharpRenderPending = true;
  mSharpRender.setFuture(QtConcurrent::run(&LPicture::RenderSvgImage, mPicture, pixelRatio, pixels));
}

void LPicture::TakeSharpRender() {
  mSharpRenderPending = false;
  QImage image = mSharpRender.result();
  if (image.isNull() || FindRendering(mSharpRenderPixels, mSharpRenderRatio) != nullptr) return;
  mRenderings.insert(mRenderings.begin(), SRendering{mSharpRenderPixels, mSharpRenderRatio,
                                                     QPixmap::fromImage(std::move(image))});
  if (mRenderings.size() > kKeptRenderings) mRenderings.pop_back();
  update();
}

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
  mRenderings.clear();
  mImage = image;
  updateGeometry();
  update();
}

QSize LPicture::GetNaturalSize() const {
  if (mSvgSize.isValid()) return mSvgSize;
  if (!mImage.isNull()) return mImage.size() / mImage.devicePixelRatio();
  return {};
}

QSize LPicture::sizeHint() const {
  const QSize natural = GetNaturalSize();
  return natural.isValid() ? natural : LPane::sizeHint();
}

QRect LPicture::GetPictureRect() const {
  const QSize natural = GetNaturalSize();
  if (natural.isEmpty()) return rect();
  const QSize fitted = natural.scaled(size(), Qt::KeepAspectRatio);
  return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void LPicture::resizeEvent(QResizeEvent* event) {
  LPane::resizeEvent(event);
  // The first size is rendered sharp at once: there is nothing to stand in for it.
  if (!mRenderings.empty()) mSharpRenderTimer.start();
}

bool LPicture::IsShowingStandIn(qreal pixelRatio) const {
  return mSvgSize.isValid() && (mSharpRenderTimer.isActive() || mSharpRenderPending) &&
         !mRenderings.empty() && FindRendering(PixelSizeAt(pixelRatio), pixelRatio) == nullptr;
}

void LPicture::DrawSelf() {
  QPainter* painter = GetPainter();
  if (painter == nullptr) return;
  const QRect target = GetPictureRect();
  if (mSvgSize.isValid()) {
    const qreal pixelRatio = painter->device()->devicePixelRatioF();
    if (IsShowingStandIn(pixelRatio)) {
      // While the user drags the window's edge: the last sharp rendering, scaled smoothly.
      const QPixmap& last = mRenderings.front().pixmap;
      painter->save();
      painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
      painter->drawPixmap(QRectF(target), last, QRectF(last.rect()));
      painter->restore();
    } else {
      painter->drawPixmap(target.topLeft(), RenderedSvg(pixelRatio));
    }
  } else if (!mImage.isNull()) {
    painter->drawPixmap(QRectF(target), mImage, QRectF(mImage.rect()));
  }
}

QSize LPicture::PixelSizeAt(qreal pixelRatio) const {
  return (QSizeF(GetPictureRect().size()) * pixelRatio).toSize();
}

const LPicture::SRendering* LPicture::FindRendering(QSize pixels, qreal pixelRatio) const {
  const auto found = std::find_if(mRenderings.begin(), mRenderings.end(), [&](const auto& kept) {
    return kept.pixels == pixels && SameRatio(kept.pixelRatio, pixelRatio);
  });
  return found == mRenderings.end() ? nullptr : &*found;
}

const QPixmap& LPicture::RenderedSvg(qreal pixelRatio) {
  const QSize pixels = PixelSizeAt(pixelRatio);
  if (const SRendering* kept = FindRendering(pixels, pixelRatio)) {
    // Most recently used first: it is the stand-in while the next size is dragged out.
    const auto at = mRenderings.begin() + (kept - mRenderings.data());
    std::rotate(mRenderings.begin(), at, at + 1);
    return mRenderings.front().pixmap;
  }
  QPixmap pixmap = LoadPrerendered(pixelRatio, pixels);
  if (pixmap.isNull()) pixmap = RenderSvg(pixelRatio, pixels);
  mRenderings.insert(mRenderings.begin(), SRendering{pixels, pixelRatio, std::move(pixmap)});
  if (mRenderings.size() > kKeptRenderings) mRenderings.pop_back();
  return mRenderings.front().pixmap;
}

QPixmap LPicture::RenderSvg(qreal pixelRatio, QSize pixels) {
  if (mSvg == nullptr) mSvg = std::make_unique<QSvgRenderer>(mPicture);
  return Rendered(*mSvg, QPixmap(pixels), pixelRatio);
}

QImage LPicture::RenderSvgImage(const QString& path, qreal pixelRatio, QSize pixels) {
  QSvgRenderer svg(path);
  if (!svg.isValid()) return {};
  return Rendered(svg, QImage(pixels, QImage::Format_ARGB32_Premultiplied), pixelRatio);
}

QPixmap LPicture::LoadPrerendered(qreal pixelRatio, QSize pixels) const {
  for (const int ratio : kPrerenderedRatios) {
    if (!SameRatio(pixelRatio, ratio)) continue;
    QImage rendered = UPrerenderedPicture::Decode(
        UPrerenderedPicture::ResourceData(UPrerenderedPicture::PathFor(mPicture, ratio)));
    if (rendered.size() != pixels) return {};
    rendered.setDevicePixelRatio(pixelRatio);
    return QPixmap::fromImage(std::move(rendered));
  }
  return {};
}

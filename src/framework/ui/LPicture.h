// A pane that draws a picture resource (SVG or any image format Qt reads) into its frame.
// Without a fixed size in the layout the pane asks for the picture's own size. A pane larger
// or smaller than that shows the picture scaled with its aspect ratio kept, centred, the rest
// of the pane left as a margin (GetPictureRect).
#pragma once

#include "framework/ui/LPane.h"

#include <QFutureWatcher>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <memory>
#include <vector>

class QSvgRenderer;

class LPicture : public LPane {
 public:
  static constexpr ClassIDT class_ID = FourCC("pict");
  // How long the size must hold still after a resize before the sharp rendering is made.
  static constexpr int kSharpRenderDelayMs = 120;

  // Reads "picture", a resource path (":/device/kvx-device.svg"; the ":/" may be left out).
  explicit LPicture(const LPaneData& data);
  LPicture(LView* superView, PaneIDT paneID, const QString& picture);
  ~LPicture() override;

  // A missing or unreadable picture throws resNotFound; an empty name shows nothing.
  void SetPictureID(const QString& picture);
  QString GetPictureID() const { return mPicture; }

  // The drawing's own size; invalid without a picture.
  QSize GetNaturalSize() const;
  // Where the picture lies in the pane (local coordinates): as large as the pane allows with
  // its aspect ratio kept, centred. The whole pane without a picture.
  QRect GetPictureRect() const;
  // Forgets the sharp renderings kept for the sizes shown so far.
  void DropRenderings() { mRenderings.clear(); }
  // Whether the next paint shows a scaled stand-in instead of the sharp rendering: the size
  // changed less than kSharpRenderDelayMs ago, or its sharp rendering is still being made.
  bool IsShowingStandIn(qreal pixelRatio) const;

  QSize sizeHint() const override;

 protected:
  void DrawSelf() override;
  void resizeEvent(QResizeEvent* event) override;

  // Rendering an SVG takes milliseconds: panes drawn often (in parts, too) draw a pixmap made
  // once for each size and pixel ratio shown (the last few are kept). A drawing may come
  // rendered already for ratios 1 and 2 (UPrerenderedPicture): at those ratios, and when the
  // picture has the drawing's own size, that is taken and the SVG is never read.
  const QPixmap& RenderedSvg(qreal pixelRatio);

 private:
  struct SRendering {
    QSize pixels;
    qreal pixelRatio = 1;
    QPixmap pixmap;
  };
  static constexpr std::size_t kKeptRenderings = 4;

  void SetUpSharpRenderTimer();
  // Once the size holds still, its sharp rendering is made on a worker thread (it can take
  // longer than a frame at large sizes); the stand-in stays until it is taken in.
  void StartSharpRender();
  void TakeSharpRender();
  QSize PixelSizeAt(qreal pixelRatio) const;
  const SRendering* FindRendering(QSize pixels, qreal pixelRatio) const;
  QPixmap LoadPrerendered(qreal pixelRatio, QSize pixels) const;
  QPixmap RenderSvg(qreal pixelRatio, QSize pixels);
  // Reads and renders the SVG with a renderer of its own, so that it may run on any thread.
  static QImage RenderSvgImage(const QString& path, qreal pixelRatio, QSize pixels);

  QString mPicture;

  std::unique_ptr<QSvgRenderer> mSvg;  // read when first needed
  QSize mSvgSize;                      // the drawing's own size; invalid for other pictures
  std::vector<SRendering> mRenderings;  // the most recently used first
  QPixmap mImage;
  // Runs while the size changes: until it fires, sizes not rendered yet show a stand-in.
  QTimer mSharpRenderTimer;
  QFutureWatcher<QImage> mSharpRender;
  QSize mSharpRenderPixels;  // what mSharpRender makes
  qreal mSharpRenderRatio = 1;
  bool mSharpRenderPending = false;  // from its start until it is taken in
};

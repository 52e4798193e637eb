// A pane that draws a picture resource (SVG or any image format Qt reads) into its frame.
// Without a fixed size in the layout the pane asks for the picture's own size.
#pragma once

#include "framework/ui/LPane.h"

#include <QPixmap>

#include <memory>

class QSvgRenderer;

class LPicture : public LPane {
 public:
  static constexpr ClassIDT class_ID = FourCC("pict");

  // Reads "picture", a resource path (":/device/kvx-device.svg"; the ":/" may be left out).
  explicit LPicture(const LPaneData& data);
  LPicture(LView* superView, PaneIDT paneID, const QString& picture);
  ~LPicture() override;

  // A missing or unreadable picture throws resNotFound; an empty name shows nothing.
  void SetPictureID(const QString& picture);
  QString GetPictureID() const { return mPicture; }

  QSize sizeHint() const override;

 protected:
  void DrawSelf() override;

  // Rendering an SVG takes milliseconds: panes drawn often (in parts, too) draw a pixmap made
  // once for their size and the screen's pixel ratio. A drawing may come rendered already
  // for ratios 1 and 2 (UPrerenderedPicture): at those ratios, and when the pane has the
  // drawing's own size, that is taken and the SVG is never read.
  const QPixmap& RenderedSvg(qreal pixelRatio);

 private:
  bool LoadPrerendered(qreal pixelRatio, QSize pixels);

  QString mPicture;

  std::unique_ptr<QSvgRenderer> mSvg;  // read when first needed
  QSize mSvgSize;                      // the drawing's own size; invalid for other pictures
  QPixmap mSvgCache;
  QPixmap mImage;
};

// kvx-render-picture: renders an SVG drawing at a whole-number scale into a prerendered
// picture (UPrerenderedPicture). The build runs it for the drawings the programs show as they
// start.
//
//   kvx-render-picture DRAWING.svg SCALE OUT
#include "framework/ui/UPrerenderedPicture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

int Fail(const std::string& message) {
  std::cerr << "kvx-render-picture: " << message << std::endl;
  return 1;
}

bool Write(const QImage& image, int scale, const QString& output) {
  QSaveFile file(output);
  const QByteArray picture = UPrerenderedPicture::Encode(image, scale);
  return file.open(QIODevice::WriteOnly) && file.write(picture) == picture.size() &&
         file.commit();
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 4) return Fail("usage: kvx-render-picture DRAWING.svg SCALE OUT");
  // Fonts need a GUI application; no display is needed to draw into an image.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QString drawing = QString::fromLocal8Bit(argv[1]);
  const int scale = std::atoi(argv[2]);
  const QString output = QString::fromLocal8Bit(argv[3]);
  if (scale < 1 || scale > 4) return Fail("the scale must be 1 to 4");

  QSvgRenderer renderer(drawing);
  if (!renderer.isValid()) return Fail(drawing.toStdString() + ": not a readable SVG drawing");
  // Drawn the way LPicture draws an SVG at run time: logical coordinates on an image whose
  // pixel ratio is the scale.
  const QSize size = renderer.defaultSize();
  QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  if (!Write(image, scale, output)) return Fail(output.toStdString() + ": cannot be written");
  return 0;
}

// kvx-render-icon: renders an SVG drawing into a square PNG of the given size (an icon theme's
// fixed sizes). The build runs it for the program's icon.
//
//   kvx-render-icon DRAWING.svg SIZE OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

int Fail(const std::string& message) {
  std::cerr << "kvx-render-icon: " << message << std::endl;
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 4) return Fail("usage: kvx-render-icon DRAWING.svg SIZE OUT.png");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QString drawing = QString::fromLocal8Bit(argv[1]);
  const int size = std::atoi(argv[2]);
  const QString output = QString::fromLocal8Bit(argv[3]);
  if (size < 8 || size > 1024) return Fail("the size must be 8 to 1024 pixels");

  QSvgRenderer renderer(drawing);
  if (!renderer.isValid()) return Fail(drawing.toStdString() + ": not a readable SVG drawing");
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A drawing that is not square keeps its proportions, centred.
    const QSizeF drawn =
        QSizeF(renderer.defaultSize()).scaled(size, size, Qt::KeepAspectRatio);
    const QPointF corner((size - drawn.width()) / 2, (size - drawn.height()) / 2);
    renderer.render(&painter, QRectF(corner, drawn));
  }
  if (!image.save(output, "PNG")) return Fail(output.toStdString() + ": cannot be written");
  return 0;
}

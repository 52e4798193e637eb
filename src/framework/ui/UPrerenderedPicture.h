// Drawings rendered at build time for a pixel ratio, kept as raw pixels so that a program
// shows them at once, without parsing SVG or decoding an image file. The build makes
// "NAME@1x.kvxpic" and "NAME@2x.kvxpic" next to a drawing "NAME.svg" (kvx-render-picture);
// LPicture takes them when it draws the drawing at its own size and one of those ratios.
//
// Format: a 16-byte header of four 32-bit values in the byte order of the machine (the files
// are made by the build, for the programs it builds): the tag 'KVXP', the width and the
// height in pixels, the pixel ratio; then the rows, top first, 4 bytes a pixel, premultiplied
// ARGB32 as QImage keeps it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class UPrerenderedPicture {
 public:
  static QByteArray Encode(const QImage& image, int pixelRatio);
  // The picture in data; a null image when data is not a whole picture. The image's pixel
  // ratio is the picture's.
  static QImage Decode(const QByteArray& data);
  // The size in pixels from the header alone; invalid when data is not a whole picture.
  static QSize PixelSize(const QByteArray& data);

  // ":/device/kvx-device.svg" at ratio 2: ":/device/kvx-device@2x.kvxpic".
  static QString PathFor(const QString& drawing, int pixelRatio);
  // The resource's data (not copied when the resource is stored uncompressed); empty when
  // there is no such resource.
  static QByteArray ResourceData(const QString& path);
};

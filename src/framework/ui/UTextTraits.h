// Text traits: font, size, style and colour by traits ID, from ":/traits/<ID>.json":
//   {"font": "DejaVu Sans", "size": 9, "bold": false, "italic": false, "color": "#000000"}
// Every field may be left out ("font": "application", or none, keeps the application font).
// An ID without a resource means the application font in black.
#pragma once

#include "framework/core/MacTypes.h"

#include <QColor>
#include <QFont>

class UTextTraits {
 public:
  // Throws err_ResourceData for a damaged traits resource.
  static QFont GetFont(ResIDT traitsID);
  static QColor GetColor(ResIDT traitsID);
  // Sets the font and text colour of the painter of the pane being drawn (see LPane).
  static void SetPortTextTraits(ResIDT traitsID);
};

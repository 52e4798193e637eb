// Cursors. Inside AdjustMouseSelf they set the cursor of the pane being asked (see LPane);
// elsewhere they do nothing.
//
// A colour cursor resource is ":/cursors/<ID>.json": {"shape": "pointingHand"} for one of
// the system's cursors (arrow, pointingHand, cross, ibeam, openHand, closedHand, wait), or
// {"image": "hand.png", "hotSpot": [x, y]} for a picture next to it.
#pragma once

#include "framework/core/MacTypes.h"

#include <QCursor>

class UCursor {
 public:
  static void SetArrow();
  static void Set(const QCursor& cursor);
};

class LColorCursor {
 public:
  // Throws resNotFound or err_ResourceData when the resource cannot be used.
  explicit LColorCursor(ResIDT cursorID);

  void Set() const { UCursor::Set(mCursor); }
  const QCursor& GetCursor() const { return mCursor; }

 private:
  QCursor mCursor;
};

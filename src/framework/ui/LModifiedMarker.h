// Keeps a window's unsaved-changes marker in step with a document's modified state. The state
// can change anywhere below the document (an edit, a typed title, a received dump, an undo),
// so the marker looks at it on every idle turn instead of waiting to be told; Update does so
// at once.
#pragma once

#include "framework/core/LPeriodical.h"

class LDocument;
class LWindow;

class LModifiedMarker : public LPeriodical {
 public:
  // Both must outlive the marker.
  LModifiedMarker(LDocument& document, LWindow& window);

  void Update();
  void SpendTime(const EventRecord& event) override;

 private:
  LDocument& mDocument;
  LWindow& mWindow;
  bool mShown = false;
};

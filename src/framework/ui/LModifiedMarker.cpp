#include "framework/ui/LModifiedMarker.h"

#include "framework/ui/LDocument.h"
#include "framework/ui/LWindow.h"

LModifiedMarker::LModifiedMarker(LDocument& document, LWindow& window)
    : mDocument(document), mWindow(window) {
  Update();
  StartIdling();
}

void LModifiedMarker::Update() {
  const bool modified = mDocument.IsModified();
  if (mShown && modified == mWindow.isWindowModified()) return;
  mWindow.ShowModified(modified);
  mShown = true;
}

void LModifiedMarker::SpendTime(const EventRecord& /*event*/) { Update(); }

#include "framework/core/LBroadcaster.h"

#include "framework/core/LListener.h"

#include <algorithm>

LBroadcaster::~LBroadcaster() {
  for (LListener* listener : mListeners) std::erase(listener->mBroadcasters, this);
}

void LBroadcaster::AddListener(LListener* listener) {
  if (listener == nullptr || HasListener(listener)) return;
  mListeners.push_back(listener);
  listener->mBroadcasters.push_back(this);
}

void LBroadcaster::RemoveListener(LListener* listener) {
  if (listener == nullptr) return;
  std::erase(mListeners, listener);
  std::erase(listener->mBroadcasters, this);
}

bool LBroadcaster::HasListener(const LListener* listener) const {
  return std::find(mListeners.begin(), mListeners.end(), listener) != mListeners.end();
}

void LBroadcaster::BroadcastMessage(MessageT message, void* param) {
  if (!mIsBroadcasting) return;
  // A listener may remove itself (or others) while being told; work on a snapshot and
  // skip those that have gone.
  const std::vector<LListener*> snapshot = mListeners;
  for (LListener* listener : snapshot) {
    if (HasListener(listener) && listener->IsListening()) listener->ListenToMessage(message, param);
  }
}

LListener::~LListener() {
  const std::vector<LBroadcaster*> broadcasters = mBroadcasters;
  for (LBroadcaster* broadcaster : broadcasters) broadcaster->RemoveListener(this);
}

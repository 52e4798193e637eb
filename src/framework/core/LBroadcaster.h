// Synchronous change notification: a broadcaster calls ListenToMessage on every listener.
// Both sides unlink themselves on destruction, so either may die first.
#pragma once

#include "framework/core/MacTypes.h"

#include <vector>

class LListener;

class LBroadcaster {
 public:
  LBroadcaster() = default;
  LBroadcaster(const LBroadcaster&) = delete;
  LBroadcaster& operator=(const LBroadcaster&) = delete;
  virtual ~LBroadcaster();

  void AddListener(LListener* listener);
  void RemoveListener(LListener* listener);
  bool HasListener(const LListener* listener) const;

  // Calls every listener in the order added; nothing while broadcasting is stopped.
  virtual void BroadcastMessage(MessageT message, void* param = nullptr);

  void StopBroadcasting() { mIsBroadcasting = false; }
  void StartBroadcasting() { mIsBroadcasting = true; }
  bool IsBroadcasting() const { return mIsBroadcasting; }

 private:
  friend class LListener;
  std::vector<LListener*> mListeners;
  bool mIsBroadcasting = true;
};

#pragma once

#include "framework/core/MacTypes.h"

#include <vector>

class LBroadcaster;

class LListener {
 public:
  LListener() = default;
  LListener(const LListener&) = delete;
  LListener& operator=(const LListener&) = delete;
  virtual ~LListener();

  virtual void ListenToMessage(MessageT message, void* param) = 0;

  void StopListening() { mIsListening = false; }
  void StartListening() { mIsListening = true; }
  bool IsListening() const { return mIsListening; }

 private:
  friend class LBroadcaster;
  std::vector<LBroadcaster*> mBroadcasters;
  bool mIsListening = true;
};

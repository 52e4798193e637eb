// Keeps a broadcaster quiet for a scope: setting a control's value in code then tells no
// listener. The broadcaster's earlier state comes back when the scope ends, however it ends.
#pragma once

#include "framework/core/LBroadcaster.h"

class StStopBroadcasting {
 public:
  explicit StStopBroadcasting(LBroadcaster& broadcaster)
      : mBroadcaster(broadcaster), mWasBroadcasting(broadcaster.IsBroadcasting()) {
    mBroadcaster.StopBroadcasting();
  }
  ~StStopBroadcasting() {
    if (mWasBroadcasting) mBroadcaster.StartBroadcasting();
  }
  StStopBroadcasting(const StStopBroadcasting&) = delete;
  StStopBroadcasting& operator=(const StStopBroadcasting&) = delete;

 private:
  LBroadcaster& mBroadcaster;
  bool mWasBroadcasting;
};

// Observers of changes in the MIDI system (a device plugged in or removed). Every live watcher
// hears every message, in the order the watchers were made. Main thread only.
#pragma once

#include "framework/core/MacTypes.h"

class CMidiSystemWatcher {
 public:
  // Joins the end of the list.
  CMidiSystemWatcher();
  CMidiSystemWatcher(const CMidiSystemWatcher&) = delete;
  CMidiSystemWatcher& operator=(const CMidiSystemWatcher&) = delete;
  // Leaves the list.
  virtual ~CMidiSystemWatcher();

  virtual void ReceiveSystemMessage(OSType classID, long message, void* param) = 0;

  // Calls ReceiveSystemMessage on every watcher. A watcher may leave the list from inside
  // its own call.
  static void NotifyMessage(unsigned long classID, long message, void* param);

 private:
  CMidiSystemWatcher* mNext = nullptr;
  static inline CMidiSystemWatcher* sWatchers = nullptr;
};

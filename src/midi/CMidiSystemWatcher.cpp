#include "midi/CMidiSystemWatcher.h"

CMidiSystemWatcher::CMidiSystemWatcher() {
  CMidiSystemWatcher** link = &sWatchers;
  while (*link != nullptr) link = &(*link)->mNext;
  *link = this;
}

CMidiSystemWatcher::~CMidiSystemWatcher() {
  for (CMidiSystemWatcher** link = &sWatchers; *link != nullptr; link = &(*link)->mNext) {
    if (*link == this) {
      *link = mNext;
      break;
    }
  }
}

void CMidiSystemWatcher::NotifyMessage(unsigned long classID, long message, void* param) {
  for (CMidiSystemWatcher* watcher = sWatchers; watcher != nullptr;) {
    CMidiSystemWatcher* next = watcher->mNext;  // the watcher may leave the list in its call
    watcher->ReceiveSystemMessage(static_cast<OSType>(classID), message, param);
    watcher = next;
  }
}

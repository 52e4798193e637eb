#include "midi/platform/CJackCycleCounter.h"

// runs on the MIDI thread
void CJackCycleCounter::EndCycle() noexcept {
  mEnded.fetch_add(1);
  // A waiter holds the lock only while it looks at its condition; it then sleeps at most a
  // slice, so a wake-up skipped here costs no more than that.
  if (!mMutex.try_lock()) return;
  mMutex.unlock();
  mCycleEnded.notify_all();
}

void CJackCycleCounter::Stop() noexcept {
  mStopped.store(true);
  {
    std::lock_guard lock(mMutex);
  }
  mCycleEnded.notify_all();
}

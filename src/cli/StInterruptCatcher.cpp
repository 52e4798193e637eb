#include "cli/StInterruptCatcher.h"

#include <atomic>

namespace {

std::atomic<bool> sInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnInterrupt(int /*signal*/) { sInterrupted.store(true); }

}  // namespace

StInterruptCatcher::StInterruptCatcher() {
  sInterrupted.store(false);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read waiting for a confirmation returns at once.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, &mPrevious);
}

StInterruptCatcher::~StInterruptCatcher() { sigaction(SIGINT, &mPrevious, nullptr); }

bool StInterruptCatcher::WasInterrupted() { return sInterrupted.load(); }

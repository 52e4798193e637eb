// Limits the size of files this process writes for one scope, so that a write fails part-way
// (EFBIG) on any file system and for the superuser too. The signal that would end the process
// at the limit is ignored meanwhile.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace kvxtest {

class StFileSizeLimit {
 public:
  explicit StFileSizeLimit(rlim_t bytes) {
    mOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (::getrlimit(RLIMIT_FSIZE, &mOld) != 0) return;
    rlimit limit = mOld;
    limit.rlim_cur = bytes;
    mActive = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~StFileSizeLimit() {
    if (mActive) ::setrlimit(RLIMIT_FSIZE, &mOld);
    std::signal(SIGXFSZ, mOldHandler);
  }
  StFileSizeLimit(const StFileSizeLimit&) = delete;
  StFileSizeLimit& operator=(const StFileSizeLimit&) = delete;

  // False when the limit could not be set; the test then proves nothing.
  bool IsActive() const { return mActive; }

 private:
  rlimit mOld{};
  void (*mOldHandler)(int) = SIG_DFL;
  bool mActive = false;
};

}  // namespace kvxtest

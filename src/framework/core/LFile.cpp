#include "framework/core/LFile.h"

#include "framework/core/LException.h"
#include "framework/core/MacTypes.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/falloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

[[noreturn]] void throwSystemError(int error, const std::string& what) {
  OSErr code = (error == ENOENT || error == ENOTDIR) ? fnfErr : ioErr;
  LException::ThrowException(code, what + ": " + std::strerror(error));
}

class StFileDescriptor {
 public:
  explicit StFileDescriptor(int fd) : mFd(fd) {}
  ~StFileDescriptor() {
    if (mFd >= 0) ::close(mFd);
  }
  StFileDescriptor(const StFileDescriptor&) = delete;
  StFileDescriptor& operator=(const StFileDescriptor&) = delete;
  int Get() const { return mFd; }
  int Release() { return std::exchange(mFd, -1); }

 private:
  int mFd;
};

// A short name of its own, whatever the length of the target's: a name derived from the
// target's would pass the system's limit for names where the target's is near it.
std::filesystem::path temporarySibling(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  std::string name(".kvx-");
  name.append(std::to_string(::getpid()))
      .append("-")
      .append(std::to_string(counter++))
      .append(".tmp");
  return target.parent_path() / name;
}

// The file a name finally designates: symbolic links are followed, one by one, to the name
// that is no link (which need not exist yet), so that a save replaces the real file and the
// links stay links.
std::filesystem::path resolveLinks(std::filesystem::path path) {
  constexpr int kMaxLinks = 40;  // as the kernel counts before ELOOP
  for (int followed = 0;; ++followed) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    if (followed == kMaxLinks) throwSystemError(ELOOP, path.string());
    std::error_code error;
    std::filesystem::path next = std::filesystem::read_symlink(path, error);
    if (error) throwSystemError(error.value(), path.string());
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
}

// Copies the whole of `from` (read from its start) over the content of `to`. The room is
// reserved first where the file system can, so that a full disk stops the copy before it has
// touched the old content.
void copyContent(int from, int to, const std::string& what) {
  struct stat info {};
  if (::fstat(from, &info) != 0) throwSystemError(errno, what);
  if (info.st_size > 0 && ::fallocate(to, FALLOC_FL_KEEP_SIZE, 0, info.st_size) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS) {
    throwSystemError(errno, what);
  }
  if (::lseek(from, 0, SEEK_SET) != 0 || ::lseek(to, 0, SEEK_SET) != 0)
    throwSystemError(errno, what);
  std::uint8_t chunk[65536];
  off_t total = 0;
  for (;;) {
    ssize_t got = ::read(from, chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      throwSystemError(errno, what);
    }
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      ssize_t written = ::write(to, chunk + done, static_cast<std::size_t>(got - done));
      if (written < 0) {
        if (errno == EINTR) continue;
        throwSystemError(errno, what);
      }
      done += written;
    }
    total += got;
  }
  if (::ftruncate(to, total) != 0 || ::fsync(to) != 0) throwSystemError(errno, what);
}

}  // namespace

bool LFile::SpecifierExists() const {
  std::error_code error;
  return std::filesystem::exists(mSpec.Path(), error);
}

std::vector<std::uint8_t> LFile::ReadDataFork() const {
  const std::string path = mSpec.Path().string();
  StFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) throwSystemError(errno, path);
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) throwSystemError(errno, path);
  if (S_ISDIR(info.st_mode)) throwSystemError(EISDIR, path);
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  for (;;) {
    ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      throwSystemError(errno, path);
    }
    if (got == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

void LFile::WriteDataFork(const void* bytes, std::size_t count) const {
  LFileStream stream(mSpec);
  stream.WriteData(bytes, count);
  stream.Commit();
}

void LFile::CreateNewFile() const {
  const std::string path = mSpec.Path().string();
  StFileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  if (fd.Get() < 0) throwSystemError(errno, path);
}

void LFile::DeleteFile() const {
  const std::string path = mSpec.Path().string();
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throwSystemError(errno, path);
}

LFileStream::LFileStream(const FSSpec& target) : mTarget(resolveLinks(target.Path())) {
  mTemporary = temporarySibling(mTarget);
  // 0666 lets the umask decide, as for any new file; an existing file keeps its mode.
  mFd = ::open(mTemporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (mFd < 0) throwSystemError(errno, mTarget.string());
  struct stat info {};
  if (::stat(mTarget.c_str(), &info) == 0) {
    (void)::fchmod(mFd, info.st_mode & 07777);
    // A rename would give this name a file of its own and leave the other names the old one.
    mInPlace = S_ISREG(info.st_mode) && info.st_nlink > 1;
  }
}

LFileStream::~LFileStream() { Abandon(); }

void LFileStream::WriteData(const void* bytes, std::size_t count) {
  if (mFd < 0) throwSystemError(EBADF, mTarget.string());
  const auto* next = static_cast<const std::uint8_t*>(bytes);
  while (count > 0) {
    ssize_t written = ::write(mFd, next, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      throwSystemError(errno, mTarget.string());
    }
    next += written;
    count -= static_cast<std::size_t>(written);
  }
}

void LFileStream::Commit() {
  if (mFd < 0) throwSystemError(EBADF, mTarget.string());
  if (mInPlace) {
    CommitInPlace();
    return;
  }
  int fd = mFd;
  mFd = -1;
  bool synced = ::fsync(fd) == 0;
  int syncError = errno;
  bool closed = ::close(fd) == 0;
  int closeError = errno;
  if (!synced || !closed) {
    ::unlink(mTemporary.c_str());
    throwSystemError(!synced ? syncError : closeError, mTarget.string());
  }
  if (::rename(mTemporary.c_str(), mTarget.c_str()) != 0) {
    int error = errno;
    ::unlink(mTemporary.c_str());
    throwSystemError(error, mTarget.string());
  }
}

// The new content is complete in the temporary file; only now is the shared file rewritten.
void LFileStream::CommitInPlace() {
  StFileDescriptor temporary(mFd);
  mFd = -1;
  struct UnlinkTemporary {
    const std::filesystem::path& path;
    ~UnlinkTemporary() { ::unlink(path.c_str()); }
  } unlinkTemporary{mTemporary};
  if (::fsync(temporary.Get()) != 0) throwSystemError(errno, mTarget.string());
  StFileDescriptor target(::open(mTarget.c_str(), O_WRONLY | O_CLOEXEC));
  if (target.Get() < 0) throwSystemError(errno, mTarget.string());
  copyContent(temporary.Get(), target.Get(), mTarget.string());
  if (::close(target.Release()) != 0) throwSystemError(errno, mTarget.string());
}

void LFileStream::Abandon() noexcept {
  if (mFd < 0) return;
  ::close(mFd);
  mFd = -1;
  ::unlink(mTemporary.c_str());
}

#include "framework/core/LFile.h"

#include "framework/core/LException.h"
#include "framework/core/MacTypes.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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

 private:
  int mFd;
};

std::filesystem::path temporarySibling(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  std::string name(1, '.');
  name.append(target.filename().string())
      .append(".tmp")
      .append(std::to_string(::getpid()))
      .append("-")
      .append(std::to_string(counter++));
  return target.parent_path() / name;
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

LFileStream::LFileStream(const FSSpec& target) : mTarget(target.Path()) {
  mTemporary = temporarySibling(mTarget);
  // 0666 lets the umask decide, as for any new file; an existing file keeps its mode.
  mFd = ::open(mTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (mFd < 0) throwSystemError(errno, mTarget.string());
  struct stat info {};
  if (::stat(mTarget.c_str(), &info) == 0) (void)::fchmod(mFd, info.st_mode & 07777);
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

void LFileStream::Abandon() noexcept {
  if (mFd < 0) return;
  ::close(mFd);
  mFd = -1;
  ::unlink(mTemporary.c_str());
}

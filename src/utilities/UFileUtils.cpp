#include "utilities/UFileUtils.h"

#include "framework/core/UMacRoman.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cstdlib>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

namespace fs = std::filesystem;

// The folder named by an absolute path, normalised, without a trailing separator.
std::optional<fs::path> absoluteFolder(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
  fs::path folder = fs::path(path).lexically_normal();
  if (!folder.is_absolute()) return std::nullopt;
  if (folder.relative_path().empty()) return fs::path("/");
  if (!folder.has_filename()) folder = folder.parent_path();
  return folder;
}

std::optional<fs::path> existingFolder(const std::string& path) {
  auto folder = absoluteFolder(path);
  std::error_code error;
  if (!folder || !fs::is_directory(*folder, error)) return std::nullopt;
  return folder;
}

// One path component, or empty for the folder itself.
bool isPlainName(std::string_view name) {
  return name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::optional<fs::path> absoluteFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0') return std::nullopt;
  fs::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path.lexically_normal();
}

UFileUtils::FileOpener& installedOpener() {
  static UFileUtils::FileOpener opener;
  return opener;
}

}  // namespace

OSErr UFileUtils::SendFinderOpenAE(const FSSpec* file) {
  if (file == nullptr) return fnfErr;
  std::error_code error;
  const fs::path path = file->Path();
  if (!fs::exists(path, error)) return fnfErr;
  const FileOpener& opener = installedOpener();
  if (!opener) return ioErr;
  return opener(fs::absolute(path, error)) ? noErr : ioErr;
}

UFileUtils::FileOpener UFileUtils::SetFileOpener(FileOpener opener) {
  return std::exchange(installedOpener(), std::move(opener));
}

bool UFileUtils::GetBundleAppSpec(FSSpec& out) {
  std::error_code error;
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error || executable.empty()) return false;
  out = FSSpec::FromPath(executable);
  return true;
}

OSErr UFileUtils::GetParentFolderSpec(FSSpec& fileSpec) {
  auto folder = existingFolder(fileSpec.parID);
  if (!folder || !isPlainName(fileSpec.name)) return fnfErr;
  const bool isRoot = folder->relative_path().empty() && fileSpec.name.empty();
  if (isRoot) return fnfErr;
  const short volume = fileSpec.vRefNum;
  fileSpec = FSSpec::FromPath(*folder);
  fileSpec.vRefNum = volume;
  return noErr;
}

std::optional<std::string> UFileUtils::GetFullPathString(const FSSpec& file) {
  auto folder = existingFolder(file.parID);
  if (!folder || !isPlainName(file.name)) return std::nullopt;
  if (file.name.empty()) return folder->string();
  return (*folder / file.name).string();
}

void UFileUtils::SetCustomIcon(const FSSpec& /*file*/, OSType /*creator*/, OSType /*fileType*/,
                               ResIDT /*iconID*/) {
  // Linux files have no resource fork and no Finder flags to carry a custom icon.
}

std::optional<fs::path> UFileUtils::FindPreferencesFolder() {
  if (auto configHome = absoluteFromEnvironment("XDG_CONFIG_HOME")) return configHome;
  if (auto home = absoluteFromEnvironment("HOME")) return *home / ".config";
  return std::nullopt;
}

int UFileUtils::FindFileProblem(const fs::path& file, EFileUse use) {
  struct stat info {};
  const bool exists = ::stat(file.c_str(), &info) == 0;
  if (!exists && (use == EFileUse::Read || errno != ENOENT)) return errno;
  if (exists && S_ISDIR(info.st_mode)) return EISDIR;
  if (use == EFileUse::Read) return ::access(file.c_str(), R_OK) == 0 ? 0 : errno;
  // A save makes a new file beside the old one: the folder decides.
  const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  struct stat folderInfo {};
  if (::stat(folder.c_str(), &folderInfo) != 0) return errno;
  if (!S_ISDIR(folderInfo.st_mode)) return ENOTDIR;
  if (::access(folder.c_str(), W_OK) != 0) return errno;
  struct statvfs space {};
  if (::statvfs(folder.c_str(), &space) == 0 && space.f_bavail == 0) return ENOSPC;
  return 0;
}

std::string UFileUtils::DescribeFileProblem(int systemError, EFileUse use) {
  const bool reading = use == EFileUse::Read;
  switch (systemError) {
    case ENOENT:
    case ENOTDIR:
      return reading ? "it does not exist" : "its folder does not exist";
    case EACCES:
    case EPERM:
      return reading ? "you are not allowed to read it" : "you are not allowed to write there";
    case EROFS:
      return "the disk is read-only";
    case EISDIR:
      return "it is a folder";
    case ENOSPC:
    case EDQUOT:
      return "the disk is full";
    default:
      return UMacRoman::FromUTF8(std::strerror(systemError)).value_or("unknown error");
  }
}

std::string UFileUtils::DisplayName(const fs::path& file) {
  const std::string name = file.filename().empty() ? file.string() : file.filename().string();
  std::string text;
  for (std::size_t at = 0; at < name.size();) {
    // Character by character, so that one the Mac Roman set lacks costs only itself.
    std::size_t next = at + 1;
    while (next < name.size() && (static_cast<unsigned char>(name[next]) & 0xC0) == 0x80) ++next;
    text += UMacRoman::FromUTF8(std::string_view(name).substr(at, next - at)).value_or("?");
    at = next;
  }
  return text;
}

// A fresh folder under the system temp folder for one test, removed with everything in it at
// the end of the scope, even when a test left parts of it read-only.
#pragma once

#include "framework/core/FSSpec.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>

namespace kvxtest {

class StTempFolder {
 public:
  // Throws when no folder can be made: a test must never fall back to the working folder.
  StTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvx-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::system_error(errno, std::generic_category(), "cannot make a temporary folder");
    }
    mPath = pattern;
  }
  ~StTempFolder() {
    std::error_code ignored;
    AllowRemoval(ignored);
    std::filesystem::remove_all(mPath, ignored);
  }
  StTempFolder(const StTempFolder&) = delete;
  StTempFolder& operator=(const StTempFolder&) = delete;

  const std::filesystem::path& Path() const { return mPath; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return mPath / name; }
  FSSpec Spec(const std::string& name) const { return FSSpec::FromPath(mPath / name); }

  // Files and folders directly inside, temporary files left behind included.
  std::size_t EntryCount() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(mPath), {}));
  }

 private:
  // Gives the owner back full rights on every folder, so that the superuser is not needed to
  // remove what a test locked.
  void AllowRemoval(std::error_code& error) const {
    using std::filesystem::perm_options;
    using std::filesystem::perms;
    std::filesystem::permissions(mPath, perms::owner_all, perm_options::add, error);
    std::filesystem::recursive_directory_iterator entry(
        mPath, std::filesystem::directory_options::skip_permission_denied, error);
    for (; !error && entry != std::filesystem::recursive_directory_iterator();
         entry.increment(error)) {
      if (entry->symlink_status(error).type() == std::filesystem::file_type::directory) {
        std::filesystem::permissions(entry->path(), perms::owner_all, perm_options::add, error);
      }
    }
  }

  std::filesystem::path mPath;
};

}  // namespace kvxtest

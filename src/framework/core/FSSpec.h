// An FSSpec: volume (always 0 here), the parent folder as an absolute path, and the
// file name. Two specifications are equal when their absolute paths are.
#pragma once

#include <filesystem>
#include <string>

struct FSSpec {
  short vRefNum = 0;
  std::string parID;  // the parent folder, an absolute path
  std::string name;   // UTF-8, not cut

  static FSSpec FromPath(const std::filesystem::path& path);
  std::filesystem::path Path() const;
  bool IsEmpty() const { return name.empty() && parID.empty(); }

  friend bool operator==(const FSSpec& a, const FSSpec& b) { return a.Path() == b.Path(); }
};

#include "framework/core/FSSpec.h"

#include <system_error>

FSSpec FSSpec::FromPath(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  absolute = absolute.lexically_normal();
  FSSpec fileSpec;
  fileSpec.parID = absolute.parent_path().string();
  fileSpec.name = absolute.filename().string();
  return fileSpec;
}

std::filesystem::path FSSpec::Path() const {
  if (parID.empty()) return std::filesystem::path(name);
  return std::filesystem::path(parID) / name;
}

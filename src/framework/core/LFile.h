// Whole-file reading and writing. Writes never leave a damaged file behind: the new content
// goes to a temporary file in the same folder, which is renamed over the target only once
// it has been written completely (LFileStream). A symbolic link is followed to its file, which
// is replaced beside it; a file with several hard links is rewritten in place (from the
// complete temporary file), so that all its names keep sharing it.
#pragma once

#include "framework/core/FSSpec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class LFile {
 public:
  explicit LFile(FSSpec fileSpec) : mSpec(std::move(fileSpec)) {}

  const FSSpec& GetSpecifier() const { return mSpec; }
  bool SpecifierExists() const;

  // The whole file. Throws LException (fnfErr, ioErr) with the system's reason.
  std::vector<std::uint8_t> ReadDataFork() const;

  // Replaces the file's content with `count` bytes, atomically. Throws LException on failure;
  // the old content is then untouched.
  void WriteDataFork(const void* bytes, std::size_t count) const;

  // Creates an empty file when none exists. Throws LException on failure.
  void CreateNewFile() const;
  // Deletes the file; a missing file is not an error. Throws LException on failure.
  void DeleteFile() const;

 private:
  FSSpec mSpec;
};

// A file written through a temporary sibling: Commit() renames it over the target (the file a
// symbolic link leads to), or copies it into a target that has several hard links.
// Destroying an uncommitted stream removes the temporary file and leaves the target as it was.
class LFileStream {
 public:
  explicit LFileStream(const FSSpec& target);  // throws LException when it cannot be created
  LFileStream(const LFileStream&) = delete;
  LFileStream& operator=(const LFileStream&) = delete;
  ~LFileStream();

  void WriteData(const void* bytes, std::size_t count);  // throws LException
  void Commit();                                          // throws LException
  void Abandon() noexcept;
  bool IsOpen() const { return mFd >= 0; }

 private:
  void CommitInPlace();

  std::filesystem::path mTarget;  // links resolved
  std::filesystem::path mTemporary;
  int mFd = -1;
  bool mInPlace = false;
};

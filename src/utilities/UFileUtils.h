// File helpers: the running program's own file, folder walks and full paths, the
// preferences folder, and custom icons.
//
// An FSSpec here is volume 0, the parent folder as an absolute path and the file
// name; "the root folder" is "/" and there are no volume names.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class UFileUtils {
 public:
  // The program's executable: the folder that holds it and its name. False when the system
  // does not tell.
  static bool GetBundleAppSpec(FSSpec& out);

  // Opens `file` through the installed opener: the editor shows its HTML pages in its own
  // viewer and hands other files to the desktop; the core knows no desktop.
  // Returns fnfErr when the file does not exist, ioErr when there is no opener or it fails.
  static OSErr SendFinderOpenAE(const FSSpec* file);
  // Gets an absolute path; true when the desktop took the file.
  using FileOpener = std::function<bool(const std::filesystem::path& file)>;
  // Installs `opener` (empty: none) and returns the one installed before. Main thread only.
  static FileOpener SetFileOpener(FileOpener opener);

  // Replaces `fileSpec` by the FSSpec of its parent folder ({"/a", "f"} becomes
  // {"/", "a"}; a file in the root folder gives the root {"/", ""}). Returns fnfErr, with
  // `fileSpec` unchanged, when the parent folder is not an existing folder given by an absolute
  // path, or when `fileSpec` is the root, which has no parent.
  static OSErr GetParentFolderSpec(FSSpec& fileSpec);

  // The absolute path "/folder/.../name" (the folder's path when the name is empty), or
  // nothing when the parent folder is not an existing folder given by an absolute path or the
  // name is not a plain file name. The file itself need not exist.
  static std::optional<std::string> GetFullPathString(const FSSpec& file);

  // Custom icons need resource forks, which Linux files do not have: does nothing.
  static void SetCustomIcon(const FSSpec& file, OSType creator, OSType fileType, ResIDT iconID);

  // --- why a file cannot be used
  enum class EFileUse { Read, Write };
  // What keeps `file` from being read (opened as a whole file) or written (saved through a
  // temporary file beside it): the system's error number (ENOENT, EACCES, EISDIR, ENOTDIR,
  // ENOSPC, ...), or 0 when the file system shows nothing in the way.
  static int FindFileProblem(const std::filesystem::path& file, EFileUse use);
  // The cause an error number stands for, as the end of a sentence in Mac Roman ("it does not
  // exist", "it is a folder", "the disk is full", ...).
  static std::string DescribeFileProblem(int systemError, EFileUse use);
  // The file's name as the user knows it, in Mac Roman (characters it lacks become "?").
  static std::string DisplayName(const std::filesystem::path& file);

  // Where preference files live: $XDG_CONFIG_HOME when it is an absolute path, else
  // $HOME/.config; nothing when neither is usable. The folder may not exist.
  static std::optional<std::filesystem::path> FindPreferencesFolder();
};

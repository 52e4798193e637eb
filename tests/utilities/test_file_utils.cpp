#include "framework/core/FSSpec.h"
#include "support/StEnvironment.h"
#include "support/StTempFolder.h"
#include "utilities/UFileUtils.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;
using kvxtest::StEnvironment;
using kvxtest::StTempFolder;

// A fresh folder with a subfolder "sub" and a file "file", removed afterwards.
class FileUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(mFolder / "sub");
    std::ofstream(mFolder / "file") << "content";
  }
  std::string Folder(const char* relative = "") const { return (mFolder / relative).string(); }

  StTempFolder mFolder;
};

TEST_F(FileUtilsTest, FullPathIsTheAbsolutePath) {
  const std::string root = mFolder.Path().string();
  struct SRow {
    const char* name;
    FSSpec fileSpec;
    std::optional<std::string> expected;
  } rows[] = {
      {"a file in the root folder", {0, "/", "kvx-none.mid"}, "/kvx-none.mid"},
      {"the root folder itself", {0, "/", ""}, "/"},
      {"a file that need not exist", {0, root, "new.mid"}, root + "/new.mid"},
      {"a folder with a trailing separator", {0, root + "/", "a"}, root + "/a"},
      {"dot-dot in the folder", {0, root + "/sub/..", "a"}, root + "/a"},
      {"an empty name is the folder", {0, root + "/sub", ""}, root + "/sub"},
      {"a name with blanks and commas", {0, root, " a, b "}, root + "/ a, b "},
      {"a missing folder", {0, root + "/missing", "a"}, std::nullopt},
      {"a folder that is a file", {0, root + "/file", "a"}, std::nullopt},
      {"a relative folder", {0, "sub", "a"}, std::nullopt},
      {"no folder", {0, "", "a"}, std::nullopt},
      {"a name with a separator", {0, root, "sub/a"}, std::nullopt},
      {"a name that is dot-dot", {0, root + "/sub", ".."}, std::nullopt},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(UFileUtils::GetFullPathString(row.fileSpec), row.expected);
  }
}

TEST_F(FileUtilsTest, ParentFolders) {
  const std::string root = mFolder.Path().string();
  struct SRow {
    const char* name;
    FSSpec fileSpec;
    OSErr result;
    FSSpec expected;
  } rows[] = {
      {"a file's folder", {3, root + "/sub", "f"}, noErr, {3, root, "sub"}},
      {"a file in the root folder", {0, "/", "f"}, noErr, {0, "/", ""}},
      {"the root has no parent", {0, "/", ""}, fnfErr, {0, "/", ""}},
      {"a missing folder", {0, root + "/missing", "f"}, fnfErr, {0, root + "/missing", "f"}},
      {"a relative folder", {0, "sub", "f"}, fnfErr, {0, "sub", "f"}},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    FSSpec fileSpec = row.fileSpec;
    EXPECT_EQ(UFileUtils::GetParentFolderSpec(fileSpec), row.result);
    EXPECT_EQ(fileSpec.vRefNum, row.expected.vRefNum);
    EXPECT_EQ(fileSpec.parID, row.expected.parID);
    EXPECT_EQ(fileSpec.name, row.expected.name);
  }
}

TEST_F(FileUtilsTest, WalkingUpEndsAtTheRoot) {
  FSSpec fileSpec{0, Folder("sub"), "f.mid"};
  std::string path = "/" + fileSpec.name;
  int steps = 0;
  while (UFileUtils::GetParentFolderSpec(fileSpec) == noErr && steps < 100) {
    if (!fileSpec.name.empty()) path = "/" + fileSpec.name + path;
    ++steps;
  }
  EXPECT_EQ(path, Folder("sub") + "/f.mid");
  EXPECT_EQ(fileSpec.parID, "/");
  EXPECT_EQ(fileSpec.name, "");
  const fs::path sub = mFolder / "sub";
  EXPECT_EQ(steps, std::distance(sub.begin(), sub.end())) << "one step per folder, root included";
}

TEST(UFileUtils, TheProgramFindsItsOwnFile) {
  FSSpec fileSpec;
  ASSERT_TRUE(UFileUtils::GetBundleAppSpec(fileSpec));
  EXPECT_EQ(fileSpec.name, "test_utilities");
  EXPECT_TRUE(fs::equivalent(fileSpec.Path(), "/proc/self/exe"));
}

TEST_F(FileUtilsTest, CustomIconsLeaveFilesAlone) {
  UFileUtils::SetCustomIcon(FSSpec::FromPath(mFolder / "file"), 0x4B564532, 0x70726566, 1000);
  std::ifstream in(mFolder / "file");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "content");
  EXPECT_EQ(std::distance(fs::directory_iterator(mFolder.Path()), {}), 2) << "no side files";
}

TEST(UFileUtils, PreferencesFolderFollowsTheConfigHome) {
  StEnvironment home("HOME", "/home/someone");
  struct SRow {
    const char* name;
    const char* configHome;
    std::optional<fs::path> expected;
  } rows[] = {
      {"absolute config home", "/etc/kvx-config/", fs::path("/etc/kvx-config/")},
      {"relative config home", "relative/config", fs::path("/home/someone/.config")},
      {"empty config home", "", fs::path("/home/someone/.config")},
      {"no config home", nullptr, fs::path("/home/someone/.config")},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    StEnvironment xdg("XDG_CONFIG_HOME", row.configHome);
    EXPECT_EQ(UFileUtils::FindPreferencesFolder(), row.expected);
  }
  StEnvironment xdg("XDG_CONFIG_HOME", nullptr);
  StEnvironment relativeHome("HOME", "me");
  EXPECT_EQ(UFileUtils::FindPreferencesFolder(), std::nullopt);
}

}  // namespace

namespace {

TEST_F(FileUtilsTest, FileProblemsAndTheirCauses) {
  using EUse = UFileUtils::EFileUse;
  struct SRow {
    const char* name;
    const char* file;  // in the test's folder
    EUse use;
    int problem;
    const char* cause;  // "" for none
  } rows[] = {
      {"a readable file", "file", EUse::Read, 0, ""},
      {"a missing file", "missing", EUse::Read, ENOENT, "it does not exist"},
      {"a folder read", "sub", EUse::Read, EISDIR, "it is a folder"},
      {"below a file", "file/x", EUse::Read, ENOTDIR, "it does not exist"},
      {"a new file", "new", EUse::Write, 0, ""},
      {"a folder written", "sub", EUse::Write, EISDIR, "it is a folder"},
      {"in a missing folder", "missing/new", EUse::Write, ENOENT, "its folder does not exist"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const int problem = UFileUtils::FindFileProblem(mFolder / row.file, row.use);
    EXPECT_EQ(problem, row.problem);
    if (problem != 0) {
      EXPECT_EQ(UFileUtils::DescribeFileProblem(problem, row.use), row.cause);
    }
  }
  EXPECT_EQ(UFileUtils::DescribeFileProblem(ENOSPC, EUse::Write), "the disk is full");
  if (::geteuid() != 0) {
    fs::permissions(mFolder / "sub", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(UFileUtils::FindFileProblem(mFolder / "sub/new", EUse::Write), EACCES);
    EXPECT_EQ(UFileUtils::DescribeFileProblem(EACCES, EUse::Write),
              "you are not allowed to write there");
  }
}

TEST(FileUtils, DisplayNamesAreMacRoman) {
  EXPECT_EQ(UFileUtils::DisplayName("/a/Caf\xC3\xA9.mid"), "Caf\x8E.mid");
  EXPECT_EQ(UFileUtils::DisplayName("/a/\xE4\xB8\xAD.mid"), "?.mid");
}

}  // namespace

#include "framework/core/LException.h"
#include "framework/core/LFile.h"
#include "support/StFileSizeLimit.h"
#include "support/StTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using kvxtest::StFileSizeLimit;
using kvxtest::StTempFolder;

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file, folder and link under `folder`: temporary files left behind show here.
std::size_t CountEntries(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::recursive_directory_iterator(folder), {}));
}

ino_t Inode(const fs::path& file) {
  struct stat info {};
  return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
}

// How the name written to reaches the file that holds the content.
struct SLinkRow {
  const char* name;
  void (*make)(const StTempFolder& folder);
  const char* written;  // the name given to the writer
  const char* real;     // the file that must hold the content
  const char* alsoSees; // another name that must show the same content ("" for none)
  const char* symlink;  // a name that must still be a symbolic link ("" for none)
};

const SLinkRow kLinkRows[] = {
    {"a plain file", [](const StTempFolder& f) { std::ofstream(f / "file") << "old"; }, "file",
     "file", "", ""},
    {"a symbolic link",
     [](const StTempFolder& f) {
       fs::create_directory(f / "real");
       std::ofstream(f / "real/file") << "old";
       fs::create_symlink("real/file", f / "link");
     },
     "link", "real/file", "link", "link"},
    {"a chain of symbolic links",
     [](const StTempFolder& f) {
       fs::create_directory(f / "real");
       std::ofstream(f / "real/file") << "old";
       fs::create_symlink(f / "real/file", f / "real/second");
       fs::create_symlink("real/second", f / "first");
     },
     "first", "real/file", "real/second", "first"},
    {"a file with two hard links",
     [](const StTempFolder& f) {
       std::ofstream(f / "file") << "old";
       fs::create_hard_link(f / "file", f / "other");
     },
     "file", "file", "other", ""},
};

TEST(FileTest, WritesThroughLinks) {
  for (const SLinkRow& row : kLinkRows) {
    SCOPED_TRACE(row.name);
    StTempFolder folder;
    row.make(folder);
    const ino_t inode = Inode(folder / row.real);
    const std::size_t entries = CountEntries(folder.Path());

    LFile(folder.Spec(row.written)).WriteDataFork("new content", 11);

    EXPECT_EQ(ReadText(folder / row.real), "new content");
    EXPECT_EQ(ReadText(folder / row.written), "new content");
    if (*row.alsoSees != '\0') {
      EXPECT_EQ(ReadText(folder / row.alsoSees), "new content");
    }
    if (*row.symlink != '\0') {
      EXPECT_TRUE(fs::is_symlink(folder / row.symlink));
    }
    if (*row.alsoSees != '\0' && *row.symlink == '\0') {
      EXPECT_EQ(Inode(folder / row.real), inode);  // the hard links stay one file
    }
    EXPECT_EQ(CountEntries(folder.Path()), entries);  // no temporary file left behind
  }
}

TEST(FileTest, AFailedWriteLeavesTheOldContent) {
  const std::string big(64 * 1024, 'x');
  for (const SLinkRow& row : kLinkRows) {
    SCOPED_TRACE(row.name);
    StTempFolder folder;
    row.make(folder);
    const std::size_t entries = CountEntries(folder.Path());
    {
      StFileSizeLimit limit(1024);
      ASSERT_TRUE(limit.IsActive());
      EXPECT_THROW(LFile(folder.Spec(row.written)).WriteDataFork(big.data(), big.size()),
                   LException);
    }
    EXPECT_EQ(ReadText(folder / row.real), "old");
    if (*row.symlink != '\0') {
      EXPECT_TRUE(fs::is_symlink(folder / row.symlink));
    }
    EXPECT_EQ(CountEntries(folder.Path()), entries);
  }
}

// Every name the system allows can be written, new or existing, whatever the temporary file.
TEST(FileTest, WritesNamesUpToTheSystemsLimit) {
  for (const std::size_t length : {std::size_t{1}, std::size_t{244}, std::size_t{245},
                                   std::size_t{255}}) {
    for (const bool exists : {false, true}) {
      SCOPED_TRACE(testing::Message() << length << (exists ? " existing" : " new"));
      StTempFolder folder;
      const std::string name(length, 'n');
      if (exists) std::ofstream(folder / name) << "old";

      LFile(folder.Spec(name)).WriteDataFork("new content", 11);

      EXPECT_EQ(ReadText(folder / name), "new content");
      EXPECT_EQ(CountEntries(folder.Path()), 1u);
    }
  }
}

}  // namespace

// The recent-file list: at most five files, newest first in menu 131 with the commands
// 'Rcf1' (oldest) ... 'Rcf5' (newest), a file used again keeping its place, full paths
// shortened in the middle where names repeat, a file that has gone shown with alert 5 and
// taken off the list, and Clear Menu.
#include "EditorTestSupport.h"

#include "document/CPatch.h"
#include "framework/ui/LMenu.h"
#include "framework/ui/UQtText.h"

#include <QApplication>
#include <QFontMetrics>

namespace kvxtest {
namespace {

using SMenuItem = EditorTest::SMenuItem;

constexpr CommandT Rcf(int entry) { return cmd_RecentFileBase + entry; }

class RecentFiles : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartEditor();
  }
  // Opens copies of the example named `names`, each in its own folder unless given one.
  void OpenCopies(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      FSSpec file = ExamplePatch("synth-setup.mid", name + "-folder", name);
      mApp->SendAEOpenDoc(file);
    }
  }
  std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (const FSSpec& file : Doc().GetRecentFiles()) names.push_back(file.name);
    return names;
  }
};

TEST_F(RecentFiles, StartEmptyWithTheDisabledPlaceholder) {
  EXPECT_EQ(RecentItems(), (std::vector<SMenuItem>{{"No Recent Files", cmd_RecentPlaceholder}}));
  EXPECT_FALSE(IsEnabled(cmd_RecentPlaceholder));
}

TEST_F(RecentFiles, KeepTheFiveNewestNewestFirst) {
  OpenCopies({"1.mid", "2.mid", "3.mid", "4.mid", "5.mid", "6.mid"});
  EXPECT_EQ(RecentItems(), (std::vector<SMenuItem>{{"6.mid", Rcf(5)},
                                                   {"5.mid", Rcf(4)},
                                                   {"4.mid", Rcf(3)},
                                                   {"3.mid", Rcf(2)},
                                                   {"2.mid", Rcf(1)}}));
  for (int entry = 1; entry <= 5; ++entry) EXPECT_TRUE(IsEnabled(Rcf(entry))) << entry;
}

TEST_F(RecentFiles, AFileUsedAgainKeepsItsPlace) {
  OpenCopies({"a.mid", "b.mid", "c.mid"});
  FSSpec first = FSSpec::FromPath(FilesFolder() / "a.mid-folder" / "a.mid");
  mApp->SendAEOpenDoc(first);
  mNav.answers = {QString::fromStdString(first.Path().string())};
  Command(cmd_SaveAs);  // saved again into the same file
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"a.mid", "b.mid", "c.mid"}));
  EXPECT_EQ(RecentItems(), (std::vector<SMenuItem>{
                               {"c.mid", Rcf(3)}, {"b.mid", Rcf(2)}, {"a.mid", Rcf(1)}}));
}

TEST_F(RecentFiles, ClearMenuEmptiesTheListForGood) {
  EXPECT_FALSE(IsEnabled(cmd_ClearRecentFiles)) << "nothing to clear";
  OpenCopies({"a.mid", "b.mid"});
  ASSERT_TRUE(IsEnabled(cmd_ClearRecentFiles));
  EXPECT_TRUE(Command(cmd_ClearRecentFiles));
  EXPECT_EQ(RecentItems(), (std::vector<SMenuItem>{{"No Recent Files", cmd_RecentPlaceholder}}));
  EXPECT_FALSE(IsEnabled(cmd_ClearRecentFiles));
  OpenCopies({"c.mid"});
  EXPECT_EQ(RecentItems(), (std::vector<SMenuItem>{{"c.mid", Rcf(1)}}));

  Command(cmd_ClearRecentFiles);
  QuitEditor();
  const std::string written = ReadText(PreferenceFile());
  EXPECT_NE(written.find("Recent File 1 = 0, 0, \r\n"), std::string::npos) << written;
  EXPECT_EQ(written.find(".mid"), std::string::npos) << written;
}

TEST_F(RecentFiles, SavingUnderANameListsIt) {
  mNav.answers = {QString::fromStdString((FilesFolder() / "saved.mid").string())};
  ModifyPatch();
  Command(cmd_SaveAs);
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"saved.mid"});
}

TEST_F(RecentFiles, RepeatedNamesShowTheirPathsShortenedInTheMiddle) {
  const std::string longFolder(120, 'x');
  FSSpec one = ExamplePatch("synth-setup.mid", "short", "song.mid");
  FSSpec two = ExamplePatch("synth-setup.mid", longFolder + "/deep", "song.mid");
  FSSpec other = ExamplePatch("synth-setup.mid", "short", "other.mid");
  mApp->SendAEOpenDoc(one);
  mApp->SendAEOpenDoc(other);
  mApp->SendAEOpenDoc(two);

  const std::vector<SMenuItem> items = RecentItems();
  ASSERT_EQ(items.size(), 3u);
  const QFontMetrics metrics(QApplication::font());
  const struct SRow {
    const char* name;
    std::size_t item;
    FSSpec file;
  } rows[] = {{"newest, long path", 0, two}, {"oldest, short path", 2, one}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const QString text = QString::fromStdString(items[row.item].text);
    const QString path = QString::fromStdString(row.file.Path().string());
    EXPECT_LE(metrics.horizontalAdvance(text), kRecentItemMaxPixels);
    EXPECT_TRUE(text == path || text.contains(QChar(0x2026))) << text.toStdString();
    // Both ends survive: the start of the path and the folder and name at its end.
    EXPECT_TRUE(text.startsWith(path.left(4))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("/song.mid"))) << text.toStdString();
  }
  EXPECT_TRUE(QString::fromStdString(items[0].text).contains(QChar(0x2026)))
      << "a long path is shortened";
  EXPECT_EQ(items[1].text, "other.mid") << "a name of its own shows alone";
}

TEST_F(RecentFiles, AMissingFileShowsAlert5AndLeavesOnlyItsEntry) {
  OpenCopies({"1.mid", "2.mid", "3.mid", "4.mid", "5.mid"});
  fs::remove(FilesFolder() / "3.mid-folder" / "3.mid");
  const std::string titleBefore = UQtText::ToUTF8(Doc().GetWindowTitle());

  EXPECT_TRUE(Command(Rcf(3)));
  EXPECT_EQ(AlertIndices(), std::vector<int>{err_RecentFileMissing});
  EXPECT_TRUE(AlertMessages().at(0).starts_with("\"3.mid\": ")) << "the alert names the file";
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"1.mid", "2.mid", "4.mid", "5.mid"}));
  EXPECT_EQ(RecentItems(),
            (std::vector<SMenuItem>{
                {"5.mid", Rcf(4)}, {"4.mid", Rcf(3)}, {"2.mid", Rcf(2)}, {"1.mid", Rcf(1)}}));
  EXPECT_EQ(UQtText::ToUTF8(Doc().GetWindowTitle()), titleBefore) << "the document stays";
}

TEST_F(RecentFiles, ChoosingAnEntryOpensItsFile) {
  OpenCopies({"1.mid", "2.mid"});
  Command(cmd_New);
  ASSERT_FALSE(Doc().IsSpecified());
  EXPECT_TRUE(Command(Rcf(1)));
  EXPECT_EQ(Doc().GetFileSpec().name, "1.mid");
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"1.mid", "2.mid"}));
  EXPECT_TRUE(AlertIndices().empty());
}

TEST_F(RecentFiles, RemovingTheLastEntryBringsBackThePlaceholder) {
  OpenCopies({"only.mid"});
  Doc().RemoveRecentFile(1);
  EXPECT_EQ(RecentItems(), (std::vector<SMenuItem>{{"No Recent Files", cmd_RecentPlaceholder}}));
  Doc().RemoveRecentFile(1);  // nothing left to remove
  EXPECT_EQ(RecentItems().size(), 1u);
}

TEST_F(RecentFiles, AnImportedOldFileIsNotListed) {
  OpenCopies({"kept.mid"});
  mNav.answers = {QString::fromStdString(ExamplePatch("old-device-v100.mid").Path().string())};
  Command(cmd_Import);
  ASSERT_TRUE(AlertIndices().empty());
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"kept.mid"});
}

TEST_F(RecentFiles, AreReadAtStartAndWrittenAtQuitOldestFirst) {
  OpenCopies({"1.mid", "2.mid"});
  QuitEditor();
  const std::string preferences = ReadText(PreferenceFile());
  const std::string folder1 = (FilesFolder() / "1.mid-folder").string();
  EXPECT_NE(preferences.find("Recent File 1 = 0, " + folder1 + ", 1.mid\r\n"), std::string::npos)
      << preferences;
  EXPECT_NE(preferences.find("Recent File 3 = 0, 0, \r\n"), std::string::npos) << preferences;

  StartEditor();
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"1.mid", "2.mid"}));
  EXPECT_EQ(RecentItems(), (std::vector<SMenuItem>{{"2.mid", Rcf(2)}, {"1.mid", Rcf(1)}}));
}

}  // namespace
}  // namespace kvxtest

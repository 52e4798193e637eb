// Opening files: the desktop opener behind UFileUtils::SendFinderOpenAE, and the filters of
// the patch-file chooser as the file dialogs apply them.
#include "EditorTestSupport.h"

#include "app/CSMFChooser.h"

#include <QDir>

#include <fstream>

namespace kvxtest {
namespace {

class StOpener {
 public:
  explicit StOpener(UFileUtils::FileOpener opener)
      : mPrevious(UFileUtils::SetFileOpener(std::move(opener))) {}
  ~StOpener() { UFileUtils::SetFileOpener(std::move(mPrevious)); }
  StOpener(const StOpener&) = delete;
  StOpener& operator=(const StOpener&) = delete;

 private:
  UFileUtils::FileOpener mPrevious;
};

TEST(SendFinderOpenAE, HandsAnExistingFileToTheDesktopOpener) {
  StTempFolder folder;
  const fs::path file = folder / "list.html";
  std::ofstream(file) << "<HTML>";
  const FSSpec fileSpec = FSSpec::FromPath(file);
  const FSSpec missing = folder.Spec("missing.html");

  std::vector<fs::path> opened;
  bool works = true;
  {
    StOpener none{UFileUtils::FileOpener()};
    EXPECT_EQ(UFileUtils::SendFinderOpenAE(&fileSpec), ioErr) << "no desktop to open it";
  }
  StOpener recording([&](const fs::path& path) {
    opened.push_back(path);
    return works;
  });
  EXPECT_EQ(UFileUtils::SendFinderOpenAE(nullptr), fnfErr);
  EXPECT_EQ(UFileUtils::SendFinderOpenAE(&missing), fnfErr);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(UFileUtils::SendFinderOpenAE(&fileSpec), noErr);
  EXPECT_EQ(opened, std::vector<fs::path>{file});
  works = false;
  EXPECT_EQ(UFileUtils::SendFinderOpenAE(&fileSpec), ioErr);
}

TEST(SMFChooser, ShowsFoldersAndMidFilesInAnyCaseThenEverything) {
  CScriptedNavHost host;
  StNavHost installed(&host);
  CSMFChooser chooser;
  host.answers = {QString()};
  EXPECT_FALSE(chooser.AskOpenSMF());
  ASSERT_EQ(host.requests.size(), 1u);
  const auto& filters = host.requests[0].filters;
  ASSERT_EQ(filters.size(), 2u);

  StTempFolder folder;
  for (const char* name : {"song.MID", "take.mid", "Mixed.Mid", "notes.txt", "mid"})
    std::ofstream(folder / name) << "x";
  fs::create_directories(folder / "sub.folder");
  // The dialogs match names as QDir does without QDir::CaseSensitive.
  const auto listed = [&](const QStringList& patterns) {
    QDir dir(QString::fromStdString(folder.Path().string()));
    QStringList names = dir.entryList(patterns, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    names.sort(Qt::CaseInsensitive);
    return names;
  };
  EXPECT_EQ(listed(filters[0].patterns), (QStringList{"Mixed.Mid", "song.MID", "take.mid"}));
  EXPECT_EQ(listed(filters[1].patterns),
            (QStringList{"mid", "Mixed.Mid", "notes.txt", "song.MID", "take.mid"}));
  EXPECT_EQ(CSMFChooser::sFilterValue, CSMFChooser::kFilterPatchFiles);

  host.answers = {QString::fromStdString((folder / "take.mid").string())};
  ASSERT_TRUE(chooser.AskOpenSMF());
  ASSERT_EQ(chooser.GetFileDescList().size(), 1u);
  EXPECT_EQ(chooser.GetFileDescList()[0], folder.Spec("take.mid"));
}

}  // namespace
}  // namespace kvxtest

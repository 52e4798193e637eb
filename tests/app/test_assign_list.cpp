// Export and View of the HTML assign list: the save dialog's proposal, replacing a file only
// with a complete list, the temporary files' private folder and names (KVXEditorTemp.html,
// then 1, 2, ... when a name is taken by something that cannot be deleted), the browser being
// asked, failures as alert 6, and the clean-up when the document goes.
#include "EditorTestSupport.h"

#include "export/CHTMLWriter.h"
#include "framework/core/LFile.h"

#include <fstream>

namespace kvxtest {
namespace {

QString PathText(const fs::path& path) { return QString::fromStdString(path.string()); }

class AssignList : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartEditor();
    FSSpec file = ExamplePatch("synth-setup.mid");
    mApp->SendAEOpenDoc(file);
  }
  std::string ExpectedList() {
    std::string list;
    CHTMLWriter(&Patch()).OutputToMemory(list);
    return list;
  }
  fs::path ViewFolder() { return Doc().FindTempFolder(false).value_or(fs::path()); }
  fs::path Temp(int counter) { return CEditorDoc::TempHTMLPath(ViewFolder(), counter); }
  static void Touch(const fs::path& file) { std::ofstream(file) << "old"; }
};

TEST_F(AssignList, TemporaryNamesCountFromNoneUpwards) {
  EXPECT_EQ(CEditorDoc::TempHTMLPath("/t", 0), fs::path("/t/KVXEditorTemp.html"));
  EXPECT_EQ(CEditorDoc::TempHTMLPath("/t", 1), fs::path("/t/KVXEditorTemp1.html"));
  EXPECT_EQ(CEditorDoc::TempHTMLPath("/t", 12), fs::path("/t/KVXEditorTemp12.html"));
}

TEST_F(AssignList, ExportProposesThePatchNameAsHtmlAndWritesTheList) {
  const fs::path target = FilesFolder() / "list.html";
  mNav.answers = {PathText(target)};
  EXPECT_TRUE(Command(cmd_ExportAssignList));
  ASSERT_EQ(mNav.requests.size(), 1u);
  EXPECT_TRUE(mNav.requests[0].save);
  EXPECT_EQ(mNav.requests[0].proposedName, "synth-setup.html");
  EXPECT_EQ(ReadText(target), ExpectedList());
  EXPECT_TRUE(AlertIndices().empty());
  EXPECT_FALSE(Doc().IsModified()) << "exporting changes nothing in the patch";
}

TEST_F(AssignList, ExportReplacesAnExistingFileAndCancelWritesNothing) {
  const fs::path target = FilesFolder() / "list.html";
  Touch(target);
  mNav.answers = {QString()};
  Command(cmd_ExportAssignList);
  EXPECT_EQ(ReadText(target), "old");

  mNav.answers = {PathText(target)};
  Command(cmd_ExportAssignList);
  EXPECT_EQ(ReadText(target), ExpectedList());
}

TEST_F(AssignList, AFailedExportNamesTheFileAndTheCause) {
  mNav.answers = {PathText(FilesFolder() / "missing" / "list.html")};
  Command(cmd_ExportAssignList);
  EXPECT_EQ(AlertMessages(), std::vector<std::string>{UAlert::GetMessage(
                                 err_CannotSaveFile, "list.html", "its folder does not exist")});
}

TEST_F(AssignList, ViewWritesTheTemporaryFileAndOpensIt) {
  EXPECT_TRUE(Command(cmd_ViewAssignList));
  ASSERT_EQ(mOpenedFiles, std::vector<fs::path>{Temp(0)});
  EXPECT_EQ(ReadText(Temp(0)), ExpectedList());

  // Viewed again, the same name is used for the new list.
  ModifyPatch();
  Command(cmd_ViewAssignList);
  EXPECT_EQ(mOpenedFiles.back(), Temp(0));
  EXPECT_EQ(ReadText(Temp(0)), ExpectedList());
  EXPECT_TRUE(AlertIndices().empty());
}

TEST_F(AssignList, ViewUsesAFolderOfItsOwnThatNoOneElseCanEnter) {
  struct SRow {
    const char* name;
    bool runtimeFolder;  // $XDG_RUNTIME_DIR set
  } rows[] = {{"under $XDG_RUNTIME_DIR", true}, {"under the temp folder", false}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    if (mApp == nullptr) StartEditor();
    std::optional<StEnvironment> noRuntime;
    if (!row.runtimeFolder) noRuntime.emplace("XDG_RUNTIME_DIR", nullptr);
    // Another user's file, or a link to a file of ours, waiting under the well-known name.
    const fs::path planted = TempFolder() / "KVXEditorTemp.html";
    const fs::path victim = FilesFolder() / "victim";
    Touch(victim);
    fs::create_symlink(victim, planted);
    Command(cmd_ViewAssignList);
    ASSERT_EQ(mOpenedFiles.size(), 1u);
    const fs::path folder = mOpenedFiles[0].parent_path();
    EXPECT_EQ(folder.parent_path(), row.runtimeFolder ? RuntimeFolder() : TempFolder());
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    EXPECT_EQ(ReadText(mOpenedFiles[0]), ExpectedList());
    EXPECT_EQ(ReadText(victim), "old");
    EXPECT_TRUE(fs::is_symlink(planted));

    QuitEditor();
    EXPECT_FALSE(fs::exists(folder)) << "the folder goes at quit";
    fs::remove(planted);
    mOpenedFiles.clear();
  }
}

TEST_F(AssignList, ViewTakesTheNextNameWhenOneCannotBeDeleted) {
  Command(cmd_ViewAssignList);
  // A folder that is not empty stands in for a file that cannot be deleted.
  fs::remove(Temp(0));
  fs::create_directories(Temp(0) / "held");
  Command(cmd_ViewAssignList);
  ASSERT_EQ(mOpenedFiles.back(), Temp(1));
  EXPECT_EQ(ReadText(Temp(1)), ExpectedList());
}

TEST_F(AssignList, ViewWithoutABrowserSaysSo) {
  mOpenerWorks = false;
  Command(cmd_ViewAssignList);
  EXPECT_EQ(AlertMessages(),
            std::vector<std::string>{UAlert::GetMessage(err_NoBrowser, "KVXEditorTemp.html")});
}

TEST_F(AssignList, TheDocumentRemovesItsTemporaryFolderWithEverythingInIt) {
  Command(cmd_ViewAssignList);
  const fs::path folder = ViewFolder();
  ASSERT_FALSE(folder.empty());
  Touch(Temp(1));
  fs::create_directories(Temp(3) / "held");
  QuitEditor();
  EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
}  // namespace kvxtest

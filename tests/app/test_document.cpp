// The one document through the commands a user gives: New, Open, Save, Save As, Close and
// Import with the file dialogs scripted, the "Save changes?" question before a modified patch
// is replaced, the window title, save failures (alert 6, nothing lost), and the focus given
// back after the file dialogs.
#include "EditorTestSupport.h"

#include "app/CSMFChooser.h"
#include "document/CPatch.h"
#include "framework/core/LFile.h"
#include "framework/core/LString.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/UQtText.h"
#include "mainwindow/CMainWindow.h"

#include <QLineEdit>
#include <QTest>

#include <sys/stat.h>

namespace kvxtest {
namespace {

std::string Title(const CEditorDoc& doc) {
  return UQtText::ToUTF8(doc.GetMainWindow()->GetDescriptorText());
}

QString PathText(const fs::path& path) { return QString::fromStdString(path.string()); }

class Document : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartEditor();
  }
  std::string PatchTitle() const {
    Str255 title;
    Patch().GetPatchTitle(title);
    return LString::ToStd(title);
  }
  // The bytes a patch file of the patch now would have.
  std::vector<std::uint8_t> PatchBytes() const { return Patch().MakeSMFData(); }
};

TEST_F(Document, StartsUntitledAndEmpty) {
  EXPECT_EQ(Title(Doc()), "TALMET KVX Editor - Untitled.mid");
  EXPECT_FALSE(Doc().IsSpecified());
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_EQ(Patch().GetAssignMessage(0), 0);
  EXPECT_TRUE(Doc().GetMainWindow()->isVisible());
}

TEST_F(Document, OpenShowsThePatchFileChooserAndLoadsTheChoice) {
  const FSSpec file = ExamplePatch("synth-setup.mid");
  mNav.answers = {PathText(file.Path())};
  EXPECT_TRUE(Command(cmd_Open));

  ASSERT_EQ(mNav.requests.size(), 1u);
  const SNavRequest& request = mNav.requests[0];
  EXPECT_FALSE(request.save);
  EXPECT_FALSE(request.multipleFiles);
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].patterns, QStringList{"*.mid"}) << "patch files first";
  EXPECT_EQ(request.filters[1].patterns, QStringList{"*"}) << "then all files";
  EXPECT_EQ(CSMFChooser::sFilterValue, CSMFChooser::kFilterPatchFiles);

  EXPECT_EQ(PatchTitle(), "Synth Set-up");
  EXPECT_TRUE(Doc().IsSpecified());
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_EQ(Doc().GetFileSpec(), file);
  EXPECT_EQ(Title(Doc()), "TALMET KVX Editor - synth-setup.mid");
}

TEST_F(Document, CancelledOpenChangesNothing) {
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  const auto before = PatchBytes();
  mNav.answers = {QString()};
  Command(cmd_Open);
  EXPECT_EQ(PatchBytes(), before);
  EXPECT_EQ(Doc().GetFileSpec().name, "synth-setup.mid");
}

TEST_F(Document, AFileThatIsNoPatchLeavesTheDocumentUntitledAndEmpty) {
  const struct SRow {
    const char* name;
    std::string content;
    int alert;
  } rows[] = {
      {"not a MIDI file", "hello", err_NotMidiFile},
      {"a MIDI file without dumps",
       std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\4\0\xFF\x2F\0", 26), err_NotPatchFile},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    FSSpec good = ExamplePatch("synth-setup.mid");
    mApp->SendAEOpenDoc(good);
    mAlerts.Clear();
    const fs::path bad = FilesFolder() / "bad.mid";
    LFile(FSSpec::FromPath(bad)).WriteDataFork(row.content.data(), row.content.size());
    FSSpec badSpec = FSSpec::FromPath(bad);
    mApp->SendAEOpenDoc(badSpec);
    EXPECT_EQ(AlertIndices(), std::vector<int>{row.alert});
    ASSERT_EQ(AlertMessages().size(), 1u);
    EXPECT_TRUE(AlertMessages()[0].starts_with("\"bad.mid\": ")) << "the alert names the file";
    EXPECT_FALSE(Doc().IsSpecified());
    EXPECT_EQ(PatchTitle(), "");
    EXPECT_EQ(Title(Doc()), "TALMET KVX Editor - Untitled.mid");
    EXPECT_EQ(Doc().GetRecentFiles().size(), 1u) << "only the good file is listed";
  }
}

TEST_F(Document, SavingAnUntitledPatchProposesUntitledMidAndWritesIt) {
  ModifyPatch();
  const fs::path target = FilesFolder() / "new.mid";
  mNav.answers = {PathText(target)};
  EXPECT_TRUE(Command(cmd_Save));

  ASSERT_EQ(mNav.requests.size(), 1u);
  EXPECT_TRUE(mNav.requests[0].save);
  EXPECT_EQ(mNav.requests[0].proposedName, "Untitled.mid");
  EXPECT_EQ(mNav.requests[0].defaultSuffix, "mid");
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_EQ(Title(Doc()), "TALMET KVX Editor - new.mid");
  const auto written = LFile(FSSpec::FromPath(target)).ReadDataFork();
  EXPECT_EQ(written, PatchBytes());
  EXPECT_TRUE(AlertIndices().empty());
}

TEST_F(Document, SaveWritesIntoTheDocumentsFileWithoutAsking) {
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  EXPECT_FALSE(IsEnabled(cmd_Save)) << "nothing to save";
  ModifyPatch();
  EXPECT_TRUE(IsEnabled(cmd_Save));
  Command(cmd_Save);
  EXPECT_TRUE(mNav.requests.empty());
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_EQ(LFile(file).ReadDataFork(), PatchBytes());
}

TEST_F(Document, SaveAsOntoItsOwnFileSavesInPlaceAndOntoAnotherMovesTheDocument) {
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  ModifyPatch();
  mNav.answers = {PathText(file.Path())};
  Command(cmd_SaveAs);
  EXPECT_EQ(mNav.requests.back().proposedName, "synth-setup.mid");
  EXPECT_EQ(Doc().GetFileSpec(), file);
  EXPECT_EQ(LFile(file).ReadDataFork(), PatchBytes());

  // An existing other file is replaced whole, and becomes the document's.
  const fs::path other = FilesFolder() / "other.mid";
  const std::string junk(20000, 'j');
  LFile(FSSpec::FromPath(other)).WriteDataFork(junk.data(), junk.size());
  ModifyPatch();
  mNav.answers = {PathText(other)};
  Command(cmd_SaveAs);
  EXPECT_EQ(Doc().GetFileSpec().name, "other.mid");
  EXPECT_EQ(LFile(FSSpec::FromPath(other)).ReadDataFork(), PatchBytes());
  EXPECT_EQ(Title(Doc()), "TALMET KVX Editor - other.mid");
}

TEST_F(Document, AFailedSaveNamesTheFileAndTheCauseAndLosesNothing) {
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  const auto original = LFile(file).ReadDataFork();
  ModifyPatch();

  // Save As into a folder that does not exist: the document keeps its own file.
  mNav.answers = {PathText(FilesFolder() / "missing" / "x.mid")};
  Command(cmd_SaveAs);
  EXPECT_EQ(AlertMessages(), std::vector<std::string>{UAlert::GetMessage(
                                 err_CannotSaveFile, "x.mid", "its folder does not exist")});
  EXPECT_EQ(Doc().GetFileSpec(), file);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_EQ(Title(Doc()), "TALMET KVX Editor - synth-setup.mid");

  // Save into a folder that may not be written: the old file stays as it was.
  if (::geteuid() != 0) {
    fs::permissions(file.Path().parent_path(), fs::perms::owner_write, fs::perm_options::remove);
    mAlerts.Clear();
    Command(cmd_Save);
    fs::permissions(file.Path().parent_path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(AlertMessages(),
              std::vector<std::string>{UAlert::GetMessage(
                  err_CannotSaveFile, "synth-setup.mid", "you are not allowed to write there")});
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(LFile(file).ReadDataFork(), original);
  }
}

TEST_F(Document, CloseEmptiesTheDocumentAndKeepsTheWindow) {
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  CMainWindow* window = Doc().GetMainWindow();
  Command(cmd_Close);
  EXPECT_EQ(mApp->GetEditorDoc()->GetMainWindow(), window);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(Doc().IsSpecified());
  EXPECT_EQ(PatchTitle(), "");
  EXPECT_EQ(Patch().GetAssignMessage(0), 0);
  EXPECT_EQ(Title(Doc()), "TALMET KVX Editor - Untitled.mid");
}

TEST_F(Document, ImportReadsAnOldFileAndRestoresTheVersionEvenWhenCancelled) {
  mNav.answers = {QString()};
  Command(cmd_Import);
  EXPECT_EQ(Patch().GetVersion(), kPatchVersion);

  mNav.answers = {PathText(ExamplePatch("old-device-v100.mid").Path())};
  Command(cmd_Import);
  EXPECT_EQ(mNav.requests.back().title, "Import Old KVX Patch");
  EXPECT_TRUE(AlertIndices().empty());
  EXPECT_EQ(Patch().GetVersion(), kPatchVersion);
  // Old index 16 fills B1 (record 27).
  EXPECT_NE(Patch().GetAssignMessage(27), 0);

  // The same file opened as a current patch is refused, pointing to Import.
  auto answerer = CModalAnswerer::MessageBoxes(QMessageBox::Discard);
  FSSpec old = ExamplePatch("old-device-v100.mid");
  mApp->SendAEOpenDoc(old);
  EXPECT_EQ(AlertIndices(), std::vector<int>{err_OldFormatFile});
}

TEST_F(Document, AnImportedPatchIsANewDocumentThatSaveNeverWritesIntoTheOldFile) {
  const FSSpec old = ExamplePatch("old-device-v100.mid");
  const auto oldBytes = LFile(old).ReadDataFork();
  mNav.answers = {PathText(old.Path())};
  Command(cmd_Import);
  EXPECT_FALSE(Doc().IsSpecified());
  EXPECT_TRUE(Doc().IsModified()) << "the converted patch is in no file yet";
  EXPECT_EQ(Title(Doc()), "TALMET KVX Editor - old-device-v100 (converted).mid");

  const fs::path converted = FilesFolder() / "converted.mid";
  mNav.answers = {PathText(converted)};
  Command(cmd_Save);
  ASSERT_EQ(mNav.requests.size(), 2u) << "Save asks for a name";
  EXPECT_TRUE(mNav.requests.back().save);
  EXPECT_EQ(mNav.requests.back().proposedName, "old-device-v100 (converted).mid");
  EXPECT_EQ(LFile(old).ReadDataFork(), oldBytes) << "the old file is untouched";
  EXPECT_EQ(Doc().GetFileSpec(), FSSpec::FromPath(converted));
  EXPECT_FALSE(Doc().IsModified());

  // Undo of the import brings back the document from before, untitled and empty.
  Command(cmd_Undo);
  EXPECT_EQ(Patch().GetAssignMessage(27), 0);
  EXPECT_FALSE(Doc().IsSpecified());
}

// What each answer to "Save changes?" does before a command replaces a modified patch.
struct SSaveAnswerRow {
  const char* name;
  QMessageBox::StandardButton answer;
  bool replaced;      // the command went on
  bool savedChanges;  // the file holds the changes
  friend void PrintTo(const SSaveAnswerRow& row, std::ostream* out) { *out << row.name; }
};

class SaveChanges : public Document, public ::testing::WithParamInterface<SSaveAnswerRow> {};

TEST_P(SaveChanges, BeforeOpeningAnotherFile) {
  const SSaveAnswerRow& row = GetParam();
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  ModifyPatch();
  const auto changed = PatchBytes();
  const FSSpec next = ExamplePatch("templates.mid");
  mNav.answers = {PathText(next.Path())};

  std::vector<QString> questions;
  auto answerer = CModalAnswerer::MessageBoxes(row.answer, &questions);
  Command(cmd_Open);

  ASSERT_EQ(questions.size(), 1u);
  EXPECT_TRUE(questions[0].contains(QStringLiteral("synth-setup.mid")))
      << questions[0].toStdString();
  EXPECT_EQ(mNav.requests.size(), 1u) << "the file is chosen first";
  EXPECT_EQ(Doc().GetFileSpec(), row.replaced ? next : file);
  EXPECT_EQ(Doc().IsModified(), !row.replaced);
  if (!row.replaced) {
    EXPECT_EQ(PatchBytes(), changed) << "the changes are kept";
  }
  EXPECT_EQ(LFile(file).ReadDataFork() == changed, row.savedChanges);
}

TEST_F(Document, OpenCancelledInTheFileDialogAsksNothingAndChangesNothing) {
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  ModifyPatch();
  const auto changed = PatchBytes();
  for (CommandT command : {cmd_Open, cmd_Import}) {
    SCOPED_TRACE(command);
    mNav.answers = {QString()};
    auto answerer = CModalAnswerer::MessageBoxes(QMessageBox::Discard);
    Command(command);
    EXPECT_EQ(answerer->GetAnswerCount(), 0) << "no question before a file is chosen";
    EXPECT_EQ(PatchBytes(), changed);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Doc().GetFileSpec(), file);
  }
}

TEST_P(SaveChanges, BeforeNew) {
  const SSaveAnswerRow& row = GetParam();
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  ModifyPatch();
  auto answerer = CModalAnswerer::MessageBoxes(row.answer);
  Command(cmd_New);
  EXPECT_EQ(answerer->GetAnswerCount(), 1);
  EXPECT_EQ(Doc().IsSpecified(), !row.replaced);
  EXPECT_EQ(Title(Doc()), row.replaced ? "TALMET KVX Editor - Untitled.mid"
                                       : "TALMET KVX Editor - synth-setup.mid");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SaveChanges,
    ::testing::Values(SSaveAnswerRow{"Save", QMessageBox::Save, true, true},
                      SSaveAnswerRow{"DontSave", QMessageBox::Discard, true, false},
                      SSaveAnswerRow{"Cancel", QMessageBox::Cancel, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Document, AnUnmodifiedPatchIsReplacedWithoutAQuestion) {
  FSSpec file = ExamplePatch("synth-setup.mid");
  mApp->SendAEOpenDoc(file);
  auto answerer = CModalAnswerer::MessageBoxes(QMessageBox::Cancel);
  Command(cmd_New);
  EXPECT_EQ(answerer->GetAnswerCount(), 0);
  EXPECT_FALSE(Doc().IsSpecified());
}

TEST_F(Document, AfterAFileDialogTheFocusAndTheTargetAreWhereTheyWere) {
  CMainWindow* window = Doc().GetMainWindow();
  window->Select();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QLineEdit* title = window->FindPaneByID<LEditText>(1)->GetLineEdit();
  // When a dialog goes, Qt gives the window that comes back the focus of its first field
  // unless a widget of it holds the focus: the title.
  mNav.whileAsking = [title] { title->setFocus(Qt::ActiveWindowFocusReason); };
  struct SRow {
    const char* name;
    CommandT command;
    bool chooses;
    bool titleHasFocus;
  };
  const SRow rows[] = {
      {"Save As cancelled", cmd_SaveAs, false, false},
      {"Save As done", cmd_SaveAs, true, false},
      {"Open cancelled", cmd_Open, false, false},
      {"Export cancelled", cmd_ExportAssignList, false, false},
      {"Save As from the title field", cmd_SaveAs, false, true},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.titleHasFocus)
      title->setFocus(Qt::MouseFocusReason);
    else
      LCommander::SwitchTarget(window);  // a controller chosen on the picture
    LCommander* target = LCommander::GetTarget();
    mNav.answers = {row.chooses ? PathText(FilesFolder() / "saved.mid") : QString()};
    Command(row.command);
    EXPECT_EQ(LCommander::GetTarget(), target);
    EXPECT_EQ(title->hasFocus(), row.titleHasFocus);
  }
}

}  // namespace
}  // namespace kvxtest

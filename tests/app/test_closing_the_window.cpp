// The main window's close box (and the desktop's close keys, which come as the same close
// event) quits the editor the way File ▸ Quit does; the title names the document once and
// carries the desktop's unsaved-changes marker.
#include "EditorTestSupport.h"

#include "document/CPatch.h"
#include "framework/core/LFile.h"
#include "framework/ui/UPeriodicals.h"
#include "mainwindow/CMainWindow.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

namespace kvxtest {
namespace {

struct SCloseRow {
  const char* name;
  bool modified;
  QMessageBox::StandardButton answer;
  int questions;  // "Save changes?" asked
  bool quits;
  bool saved;  // the patch went into the file the save dialog chose
  friend void PrintTo(const SCloseRow& row, std::ostream* out) { *out << row.name; }
};

class CloseBox : public EditorTest, public ::testing::WithParamInterface<SCloseRow> {};

TEST_P(CloseBox, QuitsAsQuitDoes) {
  const SCloseRow& row = GetParam();
  StartEditor();
  if (row.modified) ModifyPatch();
  const fs::path chosen = FilesFolder() / "saved.mid";
  mNav.answers = {QString::fromStdString(chosen.string())};
  CMainWindow* window = Doc().GetMainWindow();
  auto answerer = CModalAnswerer::MessageBoxes(row.answer);

  // Still running on the loop's next pass: the editor did not quit.
  constexpr int kStillRunning = 7;
  bool stayed = false;
  QTimer stillRunning;
  stillRunning.setSingleShot(true);
  QObject::connect(&stillRunning, &QTimer::timeout, [&] {
    stayed = window->isVisible() && Doc().IsModified() == row.modified;
    QCoreApplication::exit(kStillRunning);
  });
  QTimer::singleShot(0, [&] {
    window->close();
    stillRunning.start(0);
  });
  const int status = QApplication::exec();

  EXPECT_EQ(answerer->GetAnswerCount(), row.questions);
  EXPECT_EQ(status, row.quits ? 0 : kStillRunning);
  if (!row.quits) {
    EXPECT_TRUE(stayed);
  }
  EXPECT_EQ(fs::exists(chosen), row.saved);
  if (row.saved) {
    EXPECT_EQ(LFile(FSSpec::FromPath(chosen)).ReadDataFork(), Patch().MakeSMFData());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CloseBox,
    ::testing::Values(SCloseRow{"Unmodified", false, QMessageBox::Cancel, 0, true, false},
                      SCloseRow{"Save", true, QMessageBox::Save, 1, true, true},
                      SCloseRow{"Discard", true, QMessageBox::Discard, 1, true, false},
                      SCloseRow{"Cancel", true, QMessageBox::Cancel, 1, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

class WindowTitle : public EditorTest {};

TEST_F(WindowTitle, NamesTheDocumentOnceAndMarksUnsavedChanges) {
  StartEditor();
  CMainWindow* window = Doc().GetMainWindow();
  ASSERT_NE(window->windowHandle(), nullptr) << "shown by the document";
  const auto shown = [&] { return window->windowHandle()->title().toStdString(); };
  EXPECT_EQ(shown(), "TALMET KVX Editor - Untitled.mid");

  // The title field's text marks the patch modified without a broadcast: the marker follows
  // on the next idle turn.
  Patch().SetPatchTitle(LStr255("Lead"));
  UPeriodicals::DevoteTime();
  EXPECT_EQ(shown(), "TALMET KVX Editor - Untitled.mid*");
  EXPECT_EQ(window->GetDescriptorText().toStdString(), "TALMET KVX Editor - Untitled.mid");

  const fs::path file = FilesFolder() / "lead [*].mid";
  mNav.answers = {QString::fromStdString(file.string())};
  Command(cmd_Save);
  EXPECT_EQ(shown(), "TALMET KVX Editor - lead [*].mid") << "saved: no marker; the name kept";
}

TEST_F(WindowTitle, TheProgramAddsNoDisplayNameForQtToAppend) {
  const QString name = QCoreApplication::applicationName();
  CEditorApp::NameTheProgram();
  EXPECT_EQ(QCoreApplication::applicationName(), "KVX Editor");
  // An unset display name follows the application name; a set one would stay.
  QCoreApplication::setApplicationName(QStringLiteral("probe"));
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
  QCoreApplication::setApplicationName(name);
}

}  // namespace
}  // namespace kvxtest

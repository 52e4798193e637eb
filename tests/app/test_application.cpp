// The application: the commands it enables, the about box, the help page, dropped files, and
// a whole run from start to quit, with the preference file read first and written last.
#include "EditorTestSupport.h"

#include "document/CPatch.h"
#include "framework/core/LString.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LMenu.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UQtText.h"
#include "framework/ui/URegistrar.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"
#include "midi/CMidiOperation.h"
#include "midi/service/COSXMidiService.h"
#include "utilities/UAlert.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <functional>

namespace kvxtest {
namespace {

class Application : public EditorTest {};

TEST_F(Application, EnablesItsCommandsAsTabled) {
  StartEditor();
  const struct SRow {
    const char* name;
    CommandT command;
    bool enabled;
  } rows[] = {
      {"New", cmd_New, true},
      {"Open", cmd_Open, true},
      {"Import", cmd_Import, true},
      {"MIDI devices", cmd_MidiDevices, true},
      {"Drop", cmd_OpenDroppedFile, true},
      {"recent 1", cmd_RecentFileBase + 1, true},
      {"recent 5", cmd_RecentFileBase + 5, true},
      {"help", mApp->GetHelpCommand(), true},
      {"About", cmd_About, true},
      {"About Qt", cmd_AboutQt, true},
      {"Quit", cmd_Quit, true},
      {"Export", cmd_ExportAssignList, true},
      {"View", cmd_ViewAssignList, true},
      {"Close", cmd_Close, true},
      {"Save As", cmd_SaveAs, true},
      {"Save of an unmodified patch", cmd_Save, false},
      {"recent placeholder", cmd_RecentPlaceholder, false},
      {"past the recent files", cmd_RecentFileBase + 6, false},
      {"Print", cmd_Print, false},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(IsEnabled(row.command), row.enabled);
  }
}

TEST_F(Application, RegistersThePaneClassesTheLayoutsName) {
  StartEditor();
  const ClassIDT classes[] = {
      FourCC("view"), FourCC("wind"), FourCC("dlog"), FourCC("tabg"), FourCC("Sedt"),
      FourCC("Pced"), FourCC("Mwnd"), FourCC("Mpct"), FourCC("push"), FourCC("cbox"),
      FourCC("popb"), FourCC("pgbx"), FourCC("larr"), FourCC("pbar"), FourCC("stxt"),
      FourCC("etxt"), FourCC("mpvw"), FourCC("pict")};
  for (const ClassIDT classID : classes) {
    SCOPED_TRACE(UQtText::CodeText(classID).toStdString());
    EXPECT_TRUE(URegistrar::IsRegistered(classID));
  }
}

TEST_F(Application, TheHelpItemFollowsTheHelpMenusOwnItems) {
  StartEditor();
  LMenu* help = LMenuBar::GetCurrentMenuBar()->FetchMenu(LMenuBar::kHelpMenuID);
  ASSERT_NE(help, nullptr);
  const std::int16_t item = help->IndexFromCommand(mApp->GetHelpCommand());
  EXPECT_EQ(item, help->CountItems());
  EXPECT_EQ(help->GetItemText(item), "KVX Editor Help");
  EXPECT_EQ(mApp->GetHelpCommand(), static_cast<CommandT>(0x406A0000 - item));
}

TEST_F(Application, HelpOpensThePageNextToTheProgram) {
  StartEditor();
  EXPECT_TRUE(Command(mApp->GetHelpCommand()));
  ASSERT_EQ(mOpenedFiles.size(), 1u);
  const fs::path page = mOpenedFiles[0];
  EXPECT_EQ(page.filename(), "KVX Editor Help.html");
  EXPECT_EQ(page.parent_path(), fs::canonical("/proc/self/exe").parent_path());
  const std::string text = ReadText(page);
  EXPECT_NE(text.find("<title>KVX Editor Help</title>"), std::string::npos);
  EXPECT_TRUE(AlertIndices().empty());

  mOpenerWorks = false;  // no browser
  Command(mApp->GetHelpCommand());
  ASSERT_EQ(mAlerts.Alerts().size(), 1u);
  EXPECT_EQ(mAlerts.Alerts()[0].message,
            UAlert::GetMessage(err_NoBrowser, "KVX Editor Help.html"));
}

TEST_F(Application, TheHelpPageIsFoundInABuildAndInAnInstallation) {
  const fs::path build = FilesFolder() / "build";
  const fs::path installed = FilesFolder() / "usr";
  const std::string name = "KVX Editor Help.html";
  for (const fs::path& page : {build / name, installed / "share/kvx-editor" / name}) {
    fs::create_directories(page.parent_path());
    std::ofstream(page) << "<html></html>";
  }
  fs::create_directories(installed / "bin");
  const struct SRow {
    const char* name;
    fs::path programFolder;
    fs::path page;
  } rows[] = {
      {"next to the program", build, build / name},
      {"in share/kvx-editor", installed / "bin", installed / "share/kvx-editor" / name},
      {"nowhere: the first place", FilesFolder() / "empty", FilesFolder() / "empty" / name},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(CEditorApp::FindHelpPage(row.programFolder, name), row.page);
  }
}

TEST_F(Application, TheAboutBoxShowsTheVersionAndEndsWithOK) {
  StartEditor();
  QString caption;
  CModalAnswerer answerer([&](QWidget& widget) {
    auto* dialog = dynamic_cast<LDialogBox*>(&widget);
    if (dialog == nullptr) return;
    caption = dialog->FindPaneByID(kVersionCaptionID)->GetDescriptorText();
    dialog->FindPaneByID<LPushButton>(1)->GetButton()->click();
  });
  Command(cmd_About);
  EXPECT_EQ(answerer.GetAnswerCount(), 1);
  EXPECT_EQ(caption,
            QStringLiteral("Version ") + QLatin1String(CEditorApp::GetShortVersionString()));
  EXPECT_EQ(QLatin1String(CEditorApp::GetShortVersionString()), QLatin1String("2.0.0"));
}

TEST_F(Application, EscapeEndsTheAboutBoxAsOKDoes) {
  StartEditor();
  CModalAnswerer answerer([&](QWidget& widget) {
    if (dynamic_cast<LDialogBox*>(&widget) != nullptr) QTest::keyClick(&widget, Qt::Key_Escape);
  });
  Command(cmd_About);
  EXPECT_EQ(answerer.GetAnswerCount(), 1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Application, AboutQtShowsQtsOwnBox) {
  StartEditor();
  std::vector<QString> texts;
  auto answerer = CModalAnswerer::MessageBoxes(QMessageBox::Ok, &texts);
  EXPECT_TRUE(Command(cmd_AboutQt));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(texts[0].contains(QStringLiteral("About Qt"))) << texts[0].toStdString();
}

TEST_F(Application, OpensFilesNamedAtLaunchIntoTheOneDocument) {
  const FSSpec first = ExamplePatch("templates.mid");
  const FSSpec second = ExamplePatch("synth-setup.mid");
  StartEditor({first, second});
  EXPECT_EQ(Doc().GetFileSpec(), second);
  EXPECT_EQ(Doc().GetRecentFiles(), (std::vector<FSSpec>{first, second}));
}

// Drops a file on the way: while an alert is up, the drop must stand aside.
class CDroppingAlertPresenter final : public CRecordingAlertPresenter {
 public:
  void CautionAlert(ResIDT alertID, const std::string& message) override {
    CRecordingAlertPresenter::CautionAlert(alertID, message);
    if (drop) drop();
  }
  std::function<void()> drop;
};

TEST_F(Application, ADroppedFileIsOpenedUnlessAnAlertIsUp) {
  StartEditor();
  FSSpec dropped = ExamplePatch("synth-setup.mid");
  EXPECT_TRUE(Command(cmd_OpenDroppedFile, &dropped));
  EXPECT_EQ(Doc().GetFileSpec(), dropped);

  CDroppingAlertPresenter alerts;
  StAlertPresenter installed(&alerts);
  FSSpec other = ExamplePatch("templates.mid");
  alerts.drop = [&] {
    EXPECT_TRUE(UAlert::IsAlerting());
    mApp->ObeyCommand(cmd_OpenDroppedFile, &other);
  };
  UAlert::ErrorAlert(STRx_Errors, err_SaveFailed);
  EXPECT_EQ(Doc().GetFileSpec(), dropped) << "the drop during the alert was ignored";
}

TEST_F(Application, ARunReadsThePreferenceFileFirstAndWritesItLast) {
  // A preference file from an earlier run, naming a recent file.
  const FSSpec recent = ExamplePatch("synth-setup.mid");
  const std::string earlier =
      "[General Settings]\r\nRecent File 1 = 0, " + recent.parID + ", " + recent.name + "\r\n";
  std::ofstream(PreferenceFile(), std::ios::binary) << earlier;

  mPreferences = std::make_unique<StPreference>(LStr255(kPrefFileName), kKVXEditorSignature,
                                                kPrefFileIconID, kPrefFileType);
  mApp = std::make_unique<CEditorApp>();
  mAlertScope.emplace(&mAlerts);
  bool running = false;
  std::vector<FSSpec> recentAtStart;
  QTimer::singleShot(0, [&] {
    running = true;
    ASSERT_NE(mApp->GetEditorDoc(), nullptr);
    recentAtStart = Doc().GetRecentFiles();
    EXPECT_FALSE(Doc().IsSpecified()) << "started with an empty document";
    EXPECT_NE(CMidiOperation::GetCurrent(), nullptr);
    EXPECT_EQ(CMidiOperation::GetCurrent(), mApp->GetMidiService());
    FSSpec opened = ExamplePatch("templates.mid");
    mApp->SendAEOpenDoc(opened);
    mApp->ObeyCommand(cmd_Quit, nullptr);
  });
  mApp->Run();
  EXPECT_TRUE(running);
  EXPECT_EQ(recentAtStart, std::vector<FSSpec>{recent});

  mAlertScope.reset();
  mApp.reset();
  EXPECT_EQ(CMidiOperation::GetCurrent(), nullptr) << "the service is gone";
  EXPECT_EQ(ReadText(PreferenceFile()), earlier) << "nothing is written before the end";
  mPreferences.reset();
  const std::string written = ReadText(PreferenceFile());
  EXPECT_NE(written.find("Recent File 2 = 0, " + (FilesFolder() / "patches").string() +
                         ", templates.mid\r\n"),
            std::string::npos)
      << written;
  EXPECT_NE(written.find("[MIDI Service Settings]"), std::string::npos) << written;
}

TEST_F(Application, QuittingAModifiedPatchAsksAndCancelKeepsRunning) {
  StartEditor();
  ModifyPatch();
  auto answerer = CModalAnswerer::MessageBoxes(QMessageBox::Cancel);
  EXPECT_FALSE(mApp->AttemptQuit());
  EXPECT_EQ(answerer->GetAnswerCount(), 1);
  EXPECT_TRUE(Doc().IsModified());
}

}  // namespace
}  // namespace kvxtest

// The editor's tests run the application object in the test program, as kvx-editor does, with
// everything a user would answer scripted: the open and save dialogs (a scripted host), the
// "Save changes?" question and the editor's own modal dialogs (answered from a timer while
// their loop runs), alerts (recorded) and the desktop's file opener (recorded). Each test gets
// fresh folders for the preferences ($XDG_CONFIG_HOME), the temporary files ($TMPDIR) and its
// patch files, and the MIDI system with only the built-in device.
#pragma once

#include "app/CEditorApp.h"
#include "app/CEditorDoc.h"
#include "framework/core/FSSpec.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UNavServicesDialogs.h"
#include "support/RecordingAlertPresenter.h"
#include "support/StEnvironment.h"
#include "support/StTempFolder.h"
#include "utilities/StPreference.h"
#include "utilities/UFileUtils.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CPatch;
class LMenu;
class QWidget;

namespace kvxtest {

namespace fs = std::filesystem;

// Open and save dialogs that answer from a script (an empty answer is Cancel) and keep what
// they were asked.
class CScriptedNavHost final : public LNavHost {
 public:
  QStringList AskOpenFiles(const SNavRequest& request) override;
  QString AskSaveFile(const SNavRequest& request) override;

  std::deque<QString> answers;  // one per dialog, in order
  std::vector<SNavRequest> requests;
  std::function<void()> whileAsking;  // what happens while each dialog is up
};

// Acts on the modal windows that come up while it lives: each time one is in front, `answer`
// gets it (and should close it). Used for message boxes and the editor's dialogs.
class CModalAnswerer {
 public:
  explicit CModalAnswerer(std::function<void(QWidget&)> answer);
  // Clicks `button` in every message box and keeps the boxes' texts.
  static std::unique_ptr<CModalAnswerer> MessageBoxes(QMessageBox::StandardButton button,
                                                      std::vector<QString>* texts = nullptr);
  int GetAnswerCount() const { return mCount; }

 private:
  void Poll();

  std::function<void(QWidget&)> mAnswer;
  QTimer mTimer;
  QPointer<QWidget> mLastAnswered;  // null again once that window is gone
  int mCount = 0;
};

// The editor of one test: folders, environment, preferences and the application.
class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The preference file loaded, the application made and initialised, and the first document
  // made (or `files` opened), as kvx-editor starts.
  void StartEditor(std::vector<FSSpec> files = {});
  // As kvx-editor quits: the document asked about its changes, everything deleted, the
  // preference file written.
  void QuitEditor();

  CEditorDoc& Doc() const { return *mApp->GetEditorDoc(); }
  CPatch& Patch() const { return *Doc().GetPatch(); }
  static LMenu& RecentMenu();

 public:
  // The texts and commands of the recent-file items of menu 131, top to bottom.
  struct SMenuItem {
    std::string text;
    CommandT command;
    bool operator==(const SMenuItem&) const = default;
  };

 protected:
  static std::vector<SMenuItem> RecentItems();
  // Runs a command the way the menus do: asked first, then obeyed by the chain from the
  // application's document.
  bool Command(CommandT command, void* param = nullptr);
  bool IsEnabled(CommandT command);

  // A copy of example patch `name` ("synth-setup.mid") in folder `subfolder` of the files.
  FSSpec ExamplePatch(const std::string& name, const std::string& subfolder = "patches",
                      const std::string& copyName = "");
  // Marks the patch modified by giving controller 0 a control change.
  void ModifyPatch();
  std::vector<int> AlertIndices() const { return mAlerts.ErrorIndices(); }
  std::vector<std::string> AlertMessages() const {
    std::vector<std::string> messages;
    for (const auto& alert : mAlerts.Alerts()) messages.push_back(alert.message);
    return messages;
  }

  fs::path PreferenceFile() const;
  fs::path TempFolder() const { return mFolder / "tmp"; }
  fs::path RuntimeFolder() const { return mFolder / "run"; }  // $XDG_RUNTIME_DIR
  fs::path FilesFolder() const { return mFolder / "files"; }

  StTempFolder mFolder;
  std::optional<StEnvironment> mConfigHome;
  std::optional<StEnvironment> mTempDir;
  std::optional<StEnvironment> mRuntimeDir;
  std::optional<StEnvironment> mMidiSystem;
  CScriptedNavHost mNav;
  std::optional<StNavHost> mNavScope;
  CRecordingAlertPresenter mAlerts;
  std::optional<StAlertPresenter> mAlertScope;
  std::vector<fs::path> mOpenedFiles;  // by the desktop
  bool mOpenerWorks = true;
  UFileUtils::FileOpener mPreviousOpener;
  // The MIDI system the editor starts with; unset: the program's own (built-in device only).
  CEditorApp::MidiSystemSource mMidiSystemSource;
  std::unique_ptr<StPreference> mPreferences;
  std::unique_ptr<CEditorApp> mApp;
};

// The whole file as text; empty when it cannot be read.
std::string ReadText(const fs::path& file);

}  // namespace kvxtest

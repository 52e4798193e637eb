#include "EditorTestSupport.h"

#include "document/CPatch.h"
#include "framework/core/LString.h"
#include "framework/ui/LMenu.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/UQtText.h"
#include "mainwindow/CMainWindow.h"
#include "midi/CMidiOperation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvxtest {

QStringList CScriptedNavHost::AskOpenFiles(const SNavRequest& request) {
  requests.push_back(request);
  if (whileAsking) whileAsking();
  if (answers.empty()) return {};
  const QString answer = answers.front();
  answers.pop_front();
  return answer.isEmpty() ? QStringList() : QStringList{answer};
}

QString CScriptedNavHost::AskSaveFile(const SNavRequest& request) {
  requests.push_back(request);
  if (whileAsking) whileAsking();
  if (answers.empty()) return {};
  const QString answer = answers.front();
  answers.pop_front();
  return answer;
}

CModalAnswerer::CModalAnswerer(std::function<void(QWidget&)> answer) : mAnswer(std::move(answer)) {
  mTimer.setInterval(5);
  QObject::connect(&mTimer, &QTimer::timeout, [this] { Poll(); });
  mTimer.start();
}

std::unique_ptr<CModalAnswerer> CModalAnswerer::MessageBoxes(QMessageBox::StandardButton button,
                                                             std::vector<QString>* texts) {
  return std::make_unique<CModalAnswerer>([button, texts](QWidget& widget) {
    auto* box = qobject_cast<QMessageBox*>(&widget);
    if (box == nullptr || box->button(button) == nullptr) return;
    if (texts != nullptr) texts->push_back(box->text());
    box->button(button)->click();
  });
}

void CModalAnswerer::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  // A window is answered once; the next one that comes up (even at the same address) after
  // this one went away is new.
  if (modal == nullptr) {
    mLastAnswered = nullptr;
    return;
  }
  if (modal == mLastAnswered || !modal->isVisible()) return;
  mLastAnswered = modal;
  ++mCount;
  mAnswer(*modal);
}

void EditorTest::SetUp() {
  fs::create_directories(mFolder / "config");
  fs::create_directories(TempFolder());
  fs::create_directories(RuntimeFolder());
  fs::create_directories(FilesFolder());
  mConfigHome.emplace("XDG_CONFIG_HOME", (mFolder / "config").c_str());
  mTempDir.emplace("TMPDIR", TempFolder().c_str());
  mRuntimeDir.emplace("XDG_RUNTIME_DIR", RuntimeFolder().c_str());
  mMidiSystem.emplace("KVX_MIDI_SYSTEM", "none");
  mNavScope.emplace(&mNav);
}

void EditorTest::TearDown() {
  if (mApp != nullptr) QuitEditor();
  mNavScope.reset();
}

void EditorTest::StartEditor(std::vector<FSSpec> files) {
  mPreferences = std::make_unique<StPreference>(LStr255(kPrefFileName), kKVXEditorSignature,
                                                kPrefFileIconID, kPrefFileType);
  mApp = mMidiSystemSource ? std::make_unique<CEditorApp>(mMidiSystemSource)
                           : std::make_unique<CEditorApp>();
  mAlertScope.emplace(&mAlerts);
  mPreviousOpener = UFileUtils::SetFileOpener([this](const fs::path& file) {
    mOpenedFiles.push_back(file);
    return mOpenerWorks;
  });
  mApp->Initialize();
  LCommander::SwitchTarget(mApp.get());
  if (files.empty()) {
    mApp->StartUp();
  } else {
    mApp->SendAEOpenDocList(files);
  }
  ASSERT_NE(mApp->GetEditorDoc(), nullptr);
  LCommander::SwitchTarget(Doc().GetMainWindow());
}

void EditorTest::QuitEditor() {
  {
    // Changes a test left are not saved.
    auto answerer = CModalAnswerer::MessageBoxes(QMessageBox::Discard);
    mApp->AttemptQuit();
  }
  UFileUtils::SetFileOpener(std::move(mPreviousOpener));
  mAlertScope.reset();
  mApp.reset();
  mPreferences.reset();
}

LMenu& EditorTest::RecentMenu() {
  return *LMenuBar::GetCurrentMenuBar()->FetchMenu(MENU_RecentFiles);
}

std::vector<EditorTest::SMenuItem> EditorTest::RecentItems() {
  std::vector<SMenuItem> items;
  LMenu& menu = RecentMenu();
  // The list ends at the separator above "Clear Menu".
  for (std::int16_t index = 1; index <= menu.CountItems(); ++index) {
    if (menu.GetItemAction(index)->isSeparator()) break;
    items.push_back({UQtText::ToUTF8(menu.GetItemText(index)), menu.CommandFromIndex(index)});
  }
  return items;
}

bool EditorTest::Command(CommandT command, void* param) {
  if (param == nullptr) return LMenuBar::GetCurrentMenuBar()->ProcessCommand(command);
  LCommander* target = LCommander::GetTarget();
  return target != nullptr && target->ObeyCommand(command, param);
}

bool EditorTest::IsEnabled(CommandT command) {
  return LMenuBar::GetCurrentMenuBar()->FindCommandStatus(command).enabled;
}

FSSpec EditorTest::ExamplePatch(const std::string& name, const std::string& subfolder,
                                const std::string& copyName) {
  const fs::path folder = FilesFolder() / subfolder;
  fs::create_directories(folder);
  const fs::path copy = folder / (copyName.empty() ? name : copyName);
  fs::copy_file(fs::path(KVX_EXAMPLES_BINARY_DIR) / name, copy,
                fs::copy_options::overwrite_existing);
  return FSSpec::FromPath(copy);
}

void EditorTest::ModifyPatch() {
  SPatchParam param{};
  param.msgType = 7;
  param.data[0] = static_cast<unsigned char>(Patch().GetParam(0)->data[0] + 1);
  param.data[2] = 127;
  Patch().SetParam(0, &param);
  ASSERT_TRUE(Patch().IsModified());
}

fs::path EditorTest::PreferenceFile() const { return mFolder / "config" / kPrefFileName; }

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kvxtest

#include "app/CEditorApp.h"

#include "app/CEditorDoc.h"
#include "app/CSMFChooser.h"
#include "dialogs/assigndialog/UAssignDialogClasses.h"
#include "device/UKVXMidiSystem.h"
#include "dialogs/CMidiDevicesDialog.h"
#include "dialogs/CPageViewer.h"
#include "document/CPatch.h"
#include "framework/core/LException.h"
#include "framework/core/LFile.h"
#include "framework/core/LString.h"
#include "framework/core/StDialogHandler.h"
#include "framework/core/StValueChanger.h"
#include "framework/core/UStringLists.h"
#include "framework/ui/LDialogBox.h"
#include "framework/ui/LMenu.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/LQtDialogHost.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UNavServicesDialogs.h"
#include "framework/ui/UQtText.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"
#include "mainwindow/UMainWindowClasses.h"
#include "midi/CMidiOperation.h"
#include "midi/platform/CMidiSystem.h"
#include "midi/service/COSXMidiService.h"
#include "utilities/UAlert.h"
#include "utilities/UPreference.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeySequence>
#include <QTimer>
#include <QUrl>

#include <iostream>

#ifndef KVX_EDITOR_VERSION
#error "the build gives the program's version"
#endif

namespace {

constexpr unsigned char kAppIdentifier[] =
    "\x0A"
    "KVX Editor";
// The open dialog: one file, none of the platform's type and translation extras.
constexpr std::uint32_t kOpenDialogFlags =
    kNavDontUseCustomFrame | kNavNoTypePopup | kNavDontAutoTranslate | kNavDontAddTranslateItems;

// The editor's own pages (help, assign list) show in its page viewer; other files go to the
// desktop's handler.
bool OpenInViewerOrDesktop(const std::filesystem::path& file) {
  if (CPageViewer::IsPage(file)) return CPageViewer::Show(file) != nullptr;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

// Gives the patch back its current version when the import is over, whatever happened.
class StImportVersion {
 public:
  explicit StImportVersion(CPatch* patch) : mPatch(patch) {
    if (mPatch != nullptr) mPatch->SetVersion(kPatchVersion_100);
  }
  ~StImportVersion() {
    if (mPatch != nullptr) mPatch->SetCurrentVersion();
  }
  StImportVersion(const StImportVersion&) = delete;
  StImportVersion& operator=(const StImportVersion&) = delete;

 private:
  CPatch* mPatch;
};

// The undo step of a dropped file's load.
constexpr const char* kDropStep = "Open Dropped File";

}  // namespace

CEditorApp::CEditorApp() : CEditorApp(MakeMidiSystem) {}

CEditorApp::CEditorApp(MidiSystemSource source) : mMidiSystemSource(std::move(source)) {
  RegisterClasses();
  UNavServicesDialogs::Load();
  mPreviousFileOpener = UFileUtils::SetFileOpener(&OpenInViewerOrDesktop);
}

CEditorApp::~CEditorApp() {
  // The document goes first: it writes the recent files into the preference data.
  DeleteAllSubCommanders();
  mEditorDoc = nullptr;
  SavePreference();
  mMidiService.reset();
  if (mMidiSystem != nullptr) CMidiOperation::Uninitialize();
  mMidiSystem.reset();
  UNavServicesDialogs::Unload();
  UFileUtils::SetFileOpener(std::move(mPreviousFileOpener));
}

bool CEditorApp::IsRecentFileCommand(CommandT command) {
  const std::int64_t entry = static_cast<std::int64_t>(command) - cmd_RecentFile1;
  return entry >= 0 && entry < kMaxRecentFiles;
}

const char* CEditorApp::GetShortVersionString() { return KVX_EDITOR_VERSION; }

void CEditorApp::NameTheProgram() {
  QApplication::setApplicationName(QString::fromLatin1(kAppName));
  QApplication::setApplicationVersion(QString::fromLatin1(GetShortVersionString()));
  QApplication::setDesktopFileName(QStringLiteral("kvx-editor"));
}

void CEditorApp::RegisterClasses() {
  UMainWindowClasses::RegisterClasses();
  UAssignDialogClasses::RegisterClasses();
}

// --- start and stop

void CEditorApp::Initialize() {
  CMidiOperation::Initialize(kKVXEditorSignature, kAppIdentifier, 1, 1);
  mMidiSystem = mMidiSystemSource();
  ThrowIfNil(mMidiSystem.get());
  mMidiService = std::make_unique<COSXMidiService>(*mMidiSystem, kSysxSlotCount);
  CMidiOperation::SetCurrent(mMidiService.get());
  SetupHelpMenu();
  LoadPreference();
}

std::unique_ptr<CMidiSystem> CEditorApp::MakeMidiSystem() {
  // Printing only: the handler must not call back into the MIDI system.
  return UKVXMidiSystem::Create([](const std::string& message) {
    std::cerr << "kvx-editor: MIDI: " << message << std::endl;
  });
}

void CEditorApp::StartUp() { ObeyCommand(cmd_New, nullptr); }

void CEditorApp::LoadPreference() {
  if (mMidiService != nullptr) mMidiService->LoadPreference();
  UPreference::SeekTag(LStr255(Tag_AppPrefs), false);
}

void CEditorApp::SavePreference() {
  UPreference::SeekTag(LStr255(Tag_AppPrefs), true);
  if (mMidiService != nullptr) mMidiService->SavePreference();
}

// --- help and about

void CEditorApp::SetupHelpMenu() {
  LMenuBar* menuBar = ThrowIfNil(LMenuBar::GetCurrentMenuBar());
  LMenu* helpMenu = ThrowIfNil(menuBar->FetchMenu(LMenuBar::kHelpMenuID));
  // The help item goes behind the menu's own items.
  mHelpItemIndex = static_cast<std::uint16_t>(helpMenu->CountItems() + 1);
  const auto item = static_cast<std::int16_t>(mHelpItemIndex);
  helpMenu->InsertCommand(QStringLiteral("Help"), cmd_Nothing, item);
  helpMenu->SetItemText(item, LStr255(STRx_Standards, str_HelpMenuItem));
  helpMenu->SetItemShortcut(item, QKeySequence::HelpContents);
}

CommandT CEditorApp::GetHelpCommand() const {
  if (mHelpItemIndex == 0) return cmd_Nothing;
  return UCommands::SyntheticCommand(LMenuBar::kHelpMenuID,
                                     static_cast<std::int16_t>(mHelpItemIndex));
}

std::filesystem::path CEditorApp::FindHelpPage(const std::filesystem::path& programFolder,
                                               const std::string& name) {
  const std::filesystem::path places[] = {
      programFolder / name, programFolder.parent_path() / "share" / "kvx-editor" / name};
  for (const auto& page : places) {
    std::error_code error;
    if (std::filesystem::is_regular_file(page, error)) return page;
  }
  return places[0];
}

void CEditorApp::OpenHelp() {
  FSSpec program;
  const bool found = UFileUtils::GetBundleAppSpec(program);
  const std::string name =
      UQtText::FromMacRoman(UStringLists::GetIndString(STRx_Standards, str_HelpFileName))
          .toStdString();
  const FSSpec help = FSSpec::FromPath(FindHelpPage(program.parID, name));
  if (!found || !LFile(help).SpecifierExists()) {
    UAlert::ErrorAlert(STRx_Errors, err_HelpFailed);
  } else if (UFileUtils::SendFinderOpenAE(&help) != noErr) {
    UAlert::ErrorAlert(UAlert::GetMessage(err_NoBrowser, UFileUtils::DisplayName(help.Path())));
  }
}

void CEditorApp::ShowAboutBox() {
  StDialogHandler handler(kAboutBoxLayoutID, this);
  LDialogBox* dialog = ThrowIfNil(LQtDialogHost::GetDialogBox(handler));
  SetVersionCaption(dialog);
  // Only OK ends it; a dialog that went away some other way ends it too.
  while (handler.DoDialog() != msg_OK) {
    if (LQtDialogHost::GetDialogBox(handler) == nullptr) break;
  }
}

void CEditorApp::SetVersionCaption(LWindow* window) {
  if (window == nullptr) return;
  LPane* caption = window->FindPaneByID(kVersionCaptionID);
  const QString version = QString::fromLatin1(GetShortVersionString());
  if (caption == nullptr || version.isEmpty()) return;
  caption->SetDescriptorText((caption->GetDescriptorText() + version).left(255));
}

// --- documents

bool CEditorApp::DocumentAgreesToClose() {
  if (mEditorDoc->IsModified()) mEditorDoc->AttemptClose(false);
  return !mEditorDoc->IsModified();
}

void CEditorApp::OpenDocument(FSSpec* file) {
  if (file == nullptr) return;
  if (mEditorDoc == nullptr) {
    mEditorDoc = new CEditorDoc(this, file);
    return;
  }
  if (!DocumentAgreesToClose()) return;
  if (mEditorDoc->GetPatch()->GetVersion() == kPatchVersion_100)
    mEditorDoc->ImportFile(*file);
  else if (mOpenStep != nullptr)
    mEditorDoc->LoadFileAsStep(*file, mOpenStep);
  else
    mEditorDoc->OpenFile(*file);
}

LDocument* CEditorApp::MakeNewDocument() {
  if (mEditorDoc == nullptr) {
    mEditorDoc = new CEditorDoc(this, nullptr);
  } else if (DocumentAgreesToClose()) {
    mEditorDoc->InitDocument();
  }
  return mEditorDoc;
}

void CEditorApp::ChooseDocument() {
  const bool importing =
      mEditorDoc != nullptr && mEditorDoc->GetPatch()->GetVersion() == kPatchVersion_100;
  CSMFChooser chooser;
  chooser.GetDialogOptions()->dialogOptionFlags = kOpenDialogFlags;
  chooser.GetDialogOptions()->windowTitle =
      importing ? QStringLiteral("Import Old KVX Patch") : QStringLiteral("Open Patch");
  // The file first, then the unsaved changes: Cancel in either leaves everything as it was.
  if (!chooser.AskOpenSMF()) return;
  if (mEditorDoc != nullptr && !DocumentAgreesToClose()) return;
  SendAEOpenDocList(chooser.GetFileDescList());
}

void CEditorApp::ImportOldPatch() {
  StImportVersion version(mEditorDoc != nullptr ? mEditorDoc->GetPatch() : nullptr);
  ChooseDocument();
}

void CEditorApp::OpenRecentFile(CommandT command) {
  FSSpec file;
  if (mEditorDoc == nullptr || !mEditorDoc->GetRecentFileSpec(command, file)) return;
  if (LFile(file).SpecifierExists()) {
    SendAEOpenDoc(file);
  } else {
    UAlert::FileErrorAlert(err_RecentFileMissing, UFileUtils::DisplayName(file.Path()));
    mEditorDoc->RemoveRecentFile(file);
  }
}

void CEditorApp::OpenDroppedFile(FSSpec* file) {
  if (file == nullptr || mEditorDoc == nullptr || UAlert::IsAlerting()) return;
  UAlert::IsFrontProcess(true);
  // Has the files opened in this scope loaded as an undoable step.
  StValueChanger<const char*> step(mOpenStep, kDropStep);
  SendAEOpenDoc(*file);
}

void CEditorApp::OpenHandedFiles(const QStringList& files) {
  for (const QString& file : files) mHandedFiles.push_back(FSSpec::FromPath(file.toStdString()));
  OpenPendingHandedFiles();
}

void CEditorApp::OpenPendingHandedFiles() {
  if (mEditorDoc == nullptr) return;
  CMainWindow* window = mEditorDoc->GetMainWindow();
  if (QApplication::activeModalWidget() != nullptr || UAlert::IsAlerting()) {
    // Opening now would pull the patch away from under the dialog: later.
    constexpr int kRetryMilliseconds = 250;
    QTimer::singleShot(kRetryMilliseconds, window, [this] { OpenPendingHandedFiles(); });
    return;
  }
  window->Select();
  std::vector<FSSpec> files;
  files.swap(mHandedFiles);
  SendAEOpenDocList(files);
}

// --- commands

bool CEditorApp::ObeyCommand(CommandT command, void* param) {
  if (IsRecentFileCommand(command)) {
    OpenRecentFile(command);
    return true;
  }
  if (command != cmd_Nothing && command == GetHelpCommand()) {
    OpenHelp();
    return true;
  }
  switch (command) {
    case cmd_OpenDroppedFile:
      OpenDroppedFile(cmd_OpenDroppedFile.Param(param));
      return true;
    case cmd_Import:
      ImportOldPatch();
      return true;
    case cmd_AboutQt:
      QApplication::aboutQt();
      return true;
    case cmd_MidiDevices: {
      CMidiDevicesDialog dialog(mMidiService, mMidiSystem->GetSystemName());
      dialog.OpenDialog(this);
      return true;
    }
    default:
      return LDocApplication::ObeyCommand(command, param);
  }
}

void CEditorApp::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                   std::uint16_t& mark, Str255 name) {
  const bool recentFile = IsRecentFileCommand(command);
  const bool help = command != cmd_Nothing && command == GetHelpCommand();
  if (recentFile || help || command == cmd_New || command == cmd_OpenDroppedFile ||
      command == cmd_Import || command == cmd_MidiDevices || command == cmd_AboutQt) {
    enabled = true;
    return;
  }
  LDocApplication::FindCommandStatus(command, enabled, usesMark, mark, name);
}

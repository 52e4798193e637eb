#include "app/CEditorDoc.h"

#include "app/CEditorApp.h"
#include "app/UWindowSettings.h"
#include "document/CPatch.h"
#include "document/CPatchHistory.h"
#include "export/CHTMLWriter.h"
#include "framework/core/LException.h"
#include "framework/core/LFile.h"
#include "framework/core/LString.h"
#include "framework/ui/LMenu.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/LModifiedMarker.h"
#include "framework/ui/UCommands.h"
#include "framework/ui/UNavServicesDialogs.h"
#include "framework/ui/UQtText.h"
#include "mainwindow/CMainWindow.h"
#include "utilities/UAlert.h"
#include "utilities/UFileUtils.h"
#include "utilities/UPreference.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QFontMetrics>

#include <algorithm>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The undo step of an import ("Undo Import Old Patch").
constexpr const char* kImportStep = "Import Old Patch";

constexpr std::uint32_t kSaveDialogFlags =
    kNavNoTypePopup | kNavDontAutoTranslate | kNavDontAddTranslateItems;

LStr255 RecentFileKey(int entry) {
  return LStr255(std::string(Param_RecentFile) + std::to_string(entry));
}

QString FileNameText(const FSSpec& file) { return UQtText::FromUTF8(file.name); }

}  // namespace

CEditorDoc::CEditorDoc(LCommander* superCommander, FSSpec* file) : LDocument(superCommander) {
  mRecentMenuIndex = FetchRecentMenu().IndexFromCommand(cmd_RecentPlaceholder);
  ThrowIfNot(mRecentMenuIndex > 0, "menu 131 has no place for the recent files");
  mPatch = std::make_unique<CPatch>();
  LoadRecentFiles();

  mWindow = dynamic_cast<CMainWindow*>(LWindow::CreateWindow(kMainWindowLayoutID, this));
  ThrowIfNil(mWindow);
  mWindow->SetPatch(mPatch.get());
  mModifiedMarker = std::make_unique<LModifiedMarker>(*this, *mWindow);
  UWindowSettings::Restore(*mWindow);
  mWindow->Show();

  if (file != nullptr) {
    OpenFile(*file);
  } else {
    InitDocument();
  }
}

CEditorDoc::~CEditorDoc() {
  if (IsOnDuty()) SwitchTarget(GetSuperCommander());
  SaveRecentFiles();
  CleanupTempFile();
  UWindowSettings::Remember(*mWindow);
  mModifiedMarker.reset();
  // The window listens to the patch: it goes first.
  DeleteAllSubCommanders();
}

// --- the document's state

void CEditorDoc::InitDocument() {
  SetModified(false);
  SetSpecified(false);
  mFileSpec = FSSpec();
  mProposedName.clear();
  mPatch->InitAllParams();
  mPatch->GetHistory().Reset();
  UpdateWindowTitle();
}

void CEditorDoc::OpenFile(FSSpec& file) {
  // The patch shows its own alert when the file cannot be used.
  if (mPatch->LoadSMF(file) != 0) {
    InitDocument();
    return;
  }
  mFileSpec = file;
  SetSpecified(true);
  mProposedName.clear();
  mPatch->GetHistory().Reset(file);
  AddRecentFile(file);
  UpdateWindowTitle();
}

void CEditorDoc::LoadFileAsStep(FSSpec& file, const std::string& stepName) {
  CPatchHistory& history = mPatch->GetHistory();
  StPatchStep step(&history, stepName);
  history.MarkNewDocument();
  if (mPatch->LoadSMF(file) != 0) {
    // As a failed open leaves it: untitled and empty; Undo brings back what was there.
    SetDocumentFile(FSSpec());
    return;
  }
  SetDocumentFile(file);
  AddRecentFile(file);
}

void CEditorDoc::ImportFile(FSSpec& file) {
  StPatchStep step(&mPatch->GetHistory(), kImportStep);
  mPatch->GetHistory().MarkNewDocument();
  mProposedName.clear();
  const bool loaded = mPatch->LoadSMF(file) == 0;
  // A converted patch is a new document: saving it must not overwrite the old file.
  SetDocumentFile(FSSpec());
  if (!loaded) return;
  mPatch->MarkModified();
  mProposedName = ConvertedName(file);
  UpdateWindowTitle();
}

std::string CEditorDoc::ConvertedName(const FSSpec& file) {
  const fs::path name(file.name);
  return name.stem().string() + " (converted)" + (name.has_extension() ? name.extension().string() : ".mid");
}

void CEditorDoc::SetDocumentFile(const FSSpec& file) {
  mFileSpec = file;
  SetSpecified(!file.name.empty());
  mPatch->GetHistory().SetFile(file);
  UpdateWindowTitle();
}

// --- undo

bool CEditorDoc::UndoOrRedo(CommandT command) {
  CPatchHistory& history = mPatch->GetHistory();
  const bool done = command == cmd_Undo ? history.Undo() : history.Redo();
  // The step may have been a load: the document's file is the one of the restored state.
  if (done) SetDocumentFile(history.GetFile());
  return done;
}

void CEditorDoc::FindUndoStatus(CommandT command, bool& enabled, Str255 name) const {
  const CPatchHistory& history = mPatch->GetHistory();
  const bool undo = command == cmd_Undo;
  enabled = undo ? history.CanUndo() : history.CanRedo();
  std::string text = LStr255(STRx_Standards, undo ? str_Undo : str_Redo).Std();
  const std::string step = undo ? history.GetUndoName() : history.GetRedoName();
  if (!step.empty()) text += " " + step;
  LString::FromStd(text, name);
}

void CEditorDoc::Close() { InitDocument(); }

bool CEditorDoc::IsModified() {
  SetModified(mPatch->IsModified());
  return LDocument::IsModified();
}

QString CEditorDoc::GetDescriptorText() const {
  if (IsSpecified() && !mFileSpec.name.empty()) return FileNameText(mFileSpec);
  if (!mProposedName.empty()) return UQtText::FromUTF8(mProposedName);
  return QString::fromLatin1(kDefaultDocName);
}

QString CEditorDoc::GetFolderText() const {
  if (!IsSpecified() || mFileSpec.name.empty()) return {};
  return UQtText::FromUTF8(mFileSpec.Path().parent_path().string());
}

QString CEditorDoc::GetExportName() const {
  // "Untitled.mid" gives "Untitled.html".
  const QString name = GetDescriptorText();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return (dot > 0 ? name.left(dot) : name) + QLatin1String(FileExt_HTML);
}

StringPtr CEditorDoc::GetDescriptor(Str255 outName) const {
  return UQtText::ToPStr(GetDescriptorText(), outName);
}

bool CEditorDoc::UsesFileSpec(const FSSpec& file) const {
  return IsSpecified() && mFileSpec == file;
}

QString CEditorDoc::GetWindowTitle() const {
  // The title was one length-prefixed string.
  return (QString::fromLatin1(kWindowTitlePrefix) + GetDescriptorText()).left(255);
}

void CEditorDoc::UpdateWindowTitle() {
  if (mWindow != nullptr) mWindow->SetDescriptorText(GetWindowTitle());
  if (mModifiedMarker != nullptr) mModifiedMarker->Update();
}

// --- saving

bool CEditorDoc::WritePatchFile(const FSSpec& file) {
  // The patch file is written through a temporary file, so a failure leaves any old file as
  // it was and nothing has to be created or deleted beforehand.
  if (mPatch->SaveSMF(file) == 0) return true;
  AlertSaveFailed(file);
  UpdateWindowTitle();
  return false;
}

void CEditorDoc::AlertSaveFailed(const FSSpec& file) {
  const fs::path path = file.Path();
  const int problem = UFileUtils::FindFileProblem(path, UFileUtils::EFileUse::Write);
  if (problem == 0) {
    // Nothing to be seen in the way: the general advice is all there is.
    UAlert::ErrorAlert(STRx_Errors, err_SaveFailed);
    return;
  }
  UAlert::ErrorAlert(UAlert::GetMessage(
      err_CannotSaveFile, UFileUtils::DisplayName(path),
      UFileUtils::DescribeFileProblem(problem, UFileUtils::EFileUse::Write)));
}

void CEditorDoc::FinishSave() {
  AddRecentFile(mFileSpec);
  mPatch->GetHistory().MarkSaved(mFileSpec);
  SetModified(false);
  UpdateWindowTitle();
}

void CEditorDoc::DoSave() {
  if (WritePatchFile(mFileSpec)) FinishSave();
}

void CEditorDoc::DoAESave(FSSpec& file, OSType /*fileType*/) {
  // A document whose save into a new file failed keeps the file it had.
  if (!WritePatchFile(file)) return;
  mFileSpec = file;
  SetSpecified(true);
  FinishSave();
}

bool CEditorDoc::AskSaveAs(FSSpec& outFile, bool /*recordIt*/) {
  UNavServicesDialogs::LFileDesignator designator;
  designator.SetFileType(GetFileType());
  designator.GetDialogOptions()->dialogOptionFlags = kSaveDialogFlags;
  designator.GetDialogOptions()->windowTitle = QStringLiteral("Save Patch As");
  designator.AddFilter(QStringLiteral("KVX patch files"), {QStringLiteral("*.mid")});
  designator.SetDefaultSuffix(QStringLiteral("mid"));
  designator.SetStartFolder(GetFolderText());
  if (!designator.AskDesignateFile(GetDescriptorText())) return false;
  designator.GetFileSpec(outFile);
  if (designator.IsReplacing() && UsesFileSpec(outFile)) {
    DoSave();
  } else {
    DoAESave(outFile, kPatchFileType);
  }
  designator.CompleteSave();
  return true;
}

// --- the HTML assign list

void CEditorDoc::ExportAssignList() {
  try {
    UNavServicesDialogs::LFileDesignator designator;
    designator.SetFileType(kTextFileType);
    designator.GetDialogOptions()->dialogOptionFlags = kSaveDialogFlags;
    designator.GetDialogOptions()->windowTitle = QStringLiteral("Export Assign List");
    designator.AddFilter(QStringLiteral("HTML files"),
                         {QStringLiteral("*.html"), QStringLiteral("*.htm")});
    designator.SetDefaultSuffix(QStringLiteral("html"));
    designator.SetStartFolder(GetFolderText());
    if (!designator.AskDesignateFile(GetExportName())) return;
    FSSpec file;
    designator.GetFileSpec(file);
    // The writer replaces an existing file only once the new list is complete.
    CHTMLWriter writer(mPatch.get());
    if (writer.OutputFile(file) != 0) {
      AlertSaveFailed(file);
      return;
    }
    designator.CompleteSave();
  } catch (...) {
    UAlert::ErrorAlert(STRx_Errors, err_SaveFailed);
  }
}

std::optional<fs::path> CEditorDoc::FindTempFolder(bool create) {
  if (mTempFolder == nullptr && create) {
    // The session's runtime folder is the user's alone; the shared temp folder is the fallback.
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty() || !QDir::isAbsolutePath(base) || !QFileInfo(base).isDir()) {
      base = QDir::tempPath();
    }
    auto folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/kvx-editor-XXXXXX"));
    if (folder->isValid()) mTempFolder = std::move(folder);
  }
  if (mTempFolder == nullptr) return std::nullopt;
  return fs::path(mTempFolder->path().toStdString());
}

fs::path CEditorDoc::TempHTMLPath(const fs::path& folder, int counter) {
  std::string name = kTempHTMLName;
  if (counter > 0) name += std::to_string(counter);
  return folder / (name + FileExt_HTML);
}

void CEditorDoc::ViewAssignList() {
  const auto folder = FindTempFolder(true);
  if (!folder) return;
  try {
    // The first name that is free, or whose old file (from an earlier view) can go.
    fs::path path;
    for (int counter = 0;; ++counter) {
      path = TempHTMLPath(*folder, counter);
      std::error_code error;
      if (!fs::exists(fs::symlink_status(path, error)) || fs::remove(path, error)) break;
    }
    const FSSpec file = FSSpec::FromPath(path);
    CHTMLWriter writer(mPatch.get());
    if (writer.OutputFile(file) != 0) {
      AlertSaveFailed(file);
      return;
    }
    if (UFileUtils::SendFinderOpenAE(&file) != noErr) {
      UAlert::ErrorAlert(UAlert::GetMessage(err_NoBrowser, UFileUtils::DisplayName(path)));
    }
  } catch (...) {
    UAlert::ErrorAlert(STRx_Errors, err_SaveFailed);
  }
}

void CEditorDoc::CleanupTempFile() {
  // Its files are the document's only: the folder goes as a whole.
  mTempFolder.reset();
}

// --- commands

bool CEditorDoc::ObeyCommand(CommandT command, void* param) {
  switch (command) {
    case cmd_ExportAssignList:
      ExportAssignList();
      return true;
    case cmd_ViewAssignList:
      ViewAssignList();
      return true;
    case cmd_Undo:
    case cmd_Redo:
      UndoOrRedo(command);
      return true;
    case cmd_ClearRecentFiles:
      ClearRecentFiles();
      return true;
    default:
      return LDocument::ObeyCommand(command, param);
  }
}

void CEditorDoc::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                   std::uint16_t& mark, Str255 name) {
  if (command == cmd_ExportAssignList || command == cmd_ViewAssignList) {
    enabled = true;
    return;
  }
  if (command == cmd_Undo || command == cmd_Redo) {
    FindUndoStatus(command, enabled, name);
    return;
  }
  if (command == cmd_ClearRecentFiles) {
    enabled = !mRecentFiles.empty();
    return;
  }
  LDocument::FindCommandStatus(command, enabled, usesMark, mark, name);
}

// --- recent files

LMenu& CEditorDoc::FetchRecentMenu() {
  LMenuBar* menuBar = ThrowIfNil(LMenuBar::GetCurrentMenuBar());
  return *ThrowIfNil(menuBar->FetchMenu(MENU_RecentFiles));
}

bool CEditorDoc::GetRecentFileSpec(long command, FSSpec& outFile) const {
  const long entry = command - cmd_RecentFileBase;
  if (entry < 1 || entry > static_cast<long>(mRecentFiles.size())) return false;
  outFile = mRecentFiles[static_cast<std::size_t>(entry - 1)];
  return true;
}

void CEditorDoc::AddRecentFile(const FSSpec& file) {
  // An imported old-format file is not a patch file of this version: it is not listed.
  if (mPatch->GetVersion() != kPatchVersion || file.name.empty()) return;
  // A file used again keeps its place.
  if (std::find(mRecentFiles.begin(), mRecentFiles.end(), file) != mRecentFiles.end()) return;
  while (mRecentFiles.size() >= static_cast<std::size_t>(kMaxRecentFiles))
    mRecentFiles.erase(mRecentFiles.begin());

  // Entries of the same name are told apart by their paths; one without a path cannot be.
  bool nameShared = false;
  std::erase_if(mRecentFiles, [&](const FSSpec& entry) {
    if (entry.name != file.name) return false;
    nameShared = true;
    return !UFileUtils::GetFullPathString(entry).has_value();
  });
  if (!nameShared || UFileUtils::GetFullPathString(file)) mRecentFiles.push_back(file);
  RebuildRecentMenu();
}

void CEditorDoc::RemoveRecentFile(long index) {
  if (index < 1 || index > static_cast<long>(mRecentFiles.size())) return;
  mRecentFiles.erase(mRecentFiles.begin() + (index - 1));
  RebuildRecentMenu();
}

void CEditorDoc::RemoveRecentFile(const FSSpec& file) {
  const auto found = std::find(mRecentFiles.begin(), mRecentFiles.end(), file);
  if (found != mRecentFiles.end()) RemoveRecentFile(found - mRecentFiles.begin() + 1);
}

void CEditorDoc::ClearRecentFiles() {
  mRecentFiles.clear();
  RebuildRecentMenu();
}

bool CEditorDoc::NameIsShared(std::size_t entry) const {
  const std::string& name = mRecentFiles[entry].name;
  return std::count_if(mRecentFiles.begin(), mRecentFiles.end(),
                       [&](const FSSpec& other) { return other.name == name; }) > 1;
}

QString CEditorDoc::RecentItemText(std::size_t entry) const {
  const FSSpec& file = mRecentFiles[entry];
  if (NameIsShared(entry)) {
    if (const auto path = UFileUtils::GetFullPathString(file)) {
      const QFontMetrics metrics(QApplication::font());
      return metrics.elidedText(UQtText::FromUTF8(*path), Qt::ElideMiddle, kRecentItemMaxPixels);
    }
  }
  return FileNameText(file);
}

void CEditorDoc::RebuildRecentMenu() {
  LMenu& menu = FetchRecentMenu();
  const std::int16_t shownItems = std::max<std::int16_t>(mRecentItemCount, 1);
  for (std::int16_t item = 0; item < shownItems; ++item) menu.RemoveItem(mRecentMenuIndex);

  const auto count = static_cast<std::int16_t>(mRecentFiles.size());
  mRecentItemCount = count;
  if (count == 0) {
    menu.InsertCommand(LStr255(STRx_Standards, str_NoRecentFiles), cmd_RecentPlaceholder,
                       static_cast<std::int16_t>(mRecentMenuIndex - 1));
    return;
  }
  // Entry i (from 1, oldest first) is item mRecentMenuIndex + count - i: newest first.
  for (std::int16_t entry = count; entry >= 1; --entry) {
    const auto after = static_cast<std::int16_t>(mRecentMenuIndex - 1 + (count - entry));
    menu.InsertCommand(RecentItemText(static_cast<std::size_t>(entry - 1)),
                       cmd_RecentFileBase + entry, after);
  }
}

void CEditorDoc::LoadRecentFiles() {
  if (!UPreference::SeekTag(LStr255(Tag_AppPrefs), false)) return;
  for (int entry = 1; entry <= kMaxRecentFiles; ++entry) {
    FSSpec file;
    UPreference::GetParamFSSpec(RecentFileKey(entry), file, nullptr);
    AddRecentFile(file);
  }
}

void CEditorDoc::SaveRecentFiles() {
  if (!UPreference::SeekTag(LStr255(Tag_AppPrefs), true)) return;
  for (int entry = 1; entry <= kMaxRecentFiles; ++entry) {
    const bool listed = entry <= static_cast<int>(mRecentFiles.size());
    const FSSpec file = listed ? mRecentFiles[static_cast<std::size_t>(entry - 1)] : FSSpec();
    UPreference::SetParamFSSpec(RecentFileKey(entry), file);
  }
}

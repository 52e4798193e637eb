// The one document: the patch being edited, its main window and its file. It saves the patch,
// keeps the list of recently used patch files (in menu 131 and in the preference data), and
// exports or views the HTML assign list. Closing it empties it: it becomes an untitled, empty
// patch and the main window stays.
//
// Recent files: at most five, kept oldest first and shown newest first. Opening or saving a
// file that is in the list leaves the list as it is. An item shows the file name, or the full
// path shortened in the middle where two entries have the same name. "Clear Menu" (under the
// items) empties the list.
//
// View writes the list to "KVXEditorTemp.html" (or, when that name is taken by a file that
// cannot be deleted, "KVXEditorTemp1.html", 2, ...) in a folder of the document's own, made
// with a unique name and for the user alone under $XDG_RUNTIME_DIR or the system temp folder,
// and opens it (the editor shows its HTML pages in its own page viewer). No other user can put a file or a link in its place. The
// document removes the folder with everything in it when it goes away.
//
// Undo and Redo take back and do again the steps of the patch's history (CPatchHistory), named
// in the menu ("Undo Paste Assignment"). Opening a file, New and Close start a fresh history;
// a dropped file's load is a step, and undoing it brings back the document that was open, its
// file included. Saving marks the saved state, so undoing back to it leaves the document
// unmodified.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/ui/LDocument.h"

#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CMainWindow;
class CPatch;
class LMenu;
class LModifiedMarker;
class QTemporaryDir;

constexpr CommandT cmd_ExportAssignList = static_cast<CommandT>(FourCC("Stxt"));
constexpr CommandT cmd_ViewAssignList = static_cast<CommandT>(FourCC("Vtxt"));
constexpr CommandT cmd_ClearRecentFiles = static_cast<CommandT>(FourCC("Rclr"));

constexpr OSType kPatchFileType = FourCC("Midi");
constexpr OSType kTextFileType = FourCC("TEXT");
constexpr const char* kDefaultDocName = "Untitled.mid";
constexpr const char* kWindowTitlePrefix = "TALMET KVX Editor - ";
constexpr const char* kDefaultHTMLName = "Untitled.html";
constexpr const char* kTempHTMLName = "KVXEditorTemp";
constexpr const char* FileExt_HTML = ".html";
constexpr const char* Param_RecentFile = "Recent File ";
constexpr ResIDT MENU_RecentFiles = 131;
constexpr ResIDT kMainWindowLayoutID = 1000;
// Recent-file items longer than this are shortened in the middle.
constexpr int kRecentItemMaxPixels = 300;

class CEditorDoc : public LDocument {
 public:
  // Makes the patch and the main window; opens `file` when given. Throws err_NilPointer when
  // the menu bar, menu 131 or the main window is missing.
  CEditorDoc(LCommander* superCommander, FSSpec* file);
  ~CEditorDoc() override;

  CPatch* GetPatch() const { return mPatch.get(); }
  CMainWindow* GetMainWindow() const { return mWindow; }
  const FSSpec& GetFileSpec() const { return mFileSpec; }
  // Oldest first.
  const std::vector<FSSpec>& GetRecentFiles() const { return mRecentFiles; }

  virtual bool GetRecentFileSpec(long command, FSSpec& outFile) const;
  virtual void UpdateWindowTitle();
  virtual void InitDocument();
  virtual void OpenFile(FSSpec& file);
  // Loads `file` as one undoable step named `stepName` (a dropped file).
  void LoadFileAsStep(FSSpec& file, const std::string& stepName);
  // Imports an old-format file (the patch's version set to 100) as one undoable step: the
  // result is a new, untitled, modified patch; Save asks for a name and proposes the old
  // file's name with " (converted)". The old file is never written.
  void ImportFile(FSSpec& file);
  // The name an untitled document proposes: "Untitled.mid", or after an import
  // "<old name> (converted).mid".
  static std::string ConvertedName(const FSSpec& file);
  // Carries out cmd_Undo or cmd_Redo; false when there was nothing to do.
  bool UndoOrRedo(CommandT command);
  virtual void ExportAssignList();
  virtual void ViewAssignList();
  virtual void CleanupTempFile();
  virtual void LoadRecentFiles();
  virtual void SaveRecentFiles();
  virtual void AddRecentFile(const FSSpec& file);
  // Entry `index` counts from 1, oldest first; an index outside the list does nothing.
  virtual void RemoveRecentFile(long index);
  virtual void RemoveRecentFile(const FSSpec& file);
  void ClearRecentFiles();

  // The document's name: the file name, or "Untitled.mid" without a file.
  QString GetDescriptorText() const;
  // The folder of the document's file, where Save As and Export start; empty when untitled.
  QString GetFolderText() const;
  // The name Export proposes: the document's name with ".html" for its extension.
  QString GetExportName() const;
  // The window title for the document now.
  QString GetWindowTitle() const;
  // The temporary HTML file with counter n (0: none): "KVXEditorTemp<n>.html" in `folder`.
  static std::filesystem::path TempHTMLPath(const std::filesystem::path& folder, int counter);
  // The document's own folder of the temporary HTML files, made when `create` is true and
  // there is none yet; nothing when there is none or it cannot be made.
  std::optional<std::filesystem::path> FindTempFolder(bool create);

  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;
  void Close() override;
  bool IsModified() override;
  StringPtr GetDescriptor(Str255 outName) const override;
  bool UsesFileSpec(const FSSpec& file) const override;
  bool AskSaveAs(FSSpec& outFile, bool recordIt) override;
  OSType GetFileType() const override { return kPatchFileType; }
  void DoAESave(FSSpec& file, OSType fileType) override;
  void DoSave() override;

 private:
  static LMenu& FetchRecentMenu();
  // The document's file (empty: untitled) here, in the history and in the window title.
  void SetDocumentFile(const FSSpec& file);
  void FindUndoStatus(CommandT command, bool& enabled, Str255 name) const;
  // Writes the patch into `file`; a failure shows alert 6 and returns false.
  bool WritePatchFile(const FSSpec& file);
  // The alert for a file that could not be written: its name and what is in the way, or the
  // general advice (alert 6) when nothing can be seen.
  static void AlertSaveFailed(const FSSpec& file);
  void FinishSave();
  // Puts the list into menu 131 again, newest first, or the placeholder when it is empty.
  void RebuildRecentMenu();
  QString RecentItemText(std::size_t entry) const;
  bool NameIsShared(std::size_t entry) const;

  FSSpec mFileSpec;
  CMainWindow* mWindow = nullptr;  // a sub-commander: deleted by the framework
  std::unique_ptr<CPatch> mPatch;
  std::vector<FSSpec> mRecentFiles;  // oldest first
  std::string mProposedName;  // an untitled document's name; empty: "Untitled.mid"
  std::int16_t mRecentMenuIndex = 0;
  // How many items of menu 131 belong to the list now (0: the placeholder is there).
  std::int16_t mRecentItemCount = 0;
  std::unique_ptr<QTemporaryDir> mTempFolder;  // removes itself with everything in it
  std::unique_ptr<LModifiedMarker> mModifiedMarker;  // the window's unsaved-changes marker
};

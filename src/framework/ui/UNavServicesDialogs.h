// Open and save dialogs. They ask an installable host: the default one shows Qt's file dialogs
// (the desktop's own where there is one); tests install a scripted host.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Flags of NavDialogOptions::dialogOptionFlags. Only kNavAllowMultipleFiles changes what the
// dialogs here do; the others describe features this desktop does not have.
constexpr std::uint32_t kNavNoTypePopup = 0x0001;
constexpr std::uint32_t kNavDontAutoTranslate = 0x0002;
constexpr std::uint32_t kNavDontAddTranslateItems = 0x0004;
constexpr std::uint32_t kNavAllowMultipleFiles = 0x0080;
constexpr std::uint32_t kNavDontUseCustomFrame = 0x8000;

struct NavDialogOptions {
  std::uint32_t dialogOptionFlags = 0;
  QString windowTitle;
};

// One name filter of a dialog: "Patch files" with {"*.mid", "*.midi"}.
struct SFileFilter {
  QString description;
  QStringList patterns;
};

// What a dialog asks of its host.
struct SNavRequest {
  bool save = false;
  QString title;
  QString folder;        // where the dialog starts
  QString proposedName;  // save dialogs
  std::vector<SFileFilter> filters;
  QString defaultSuffix;  // save dialogs: added when the typed name has none
  bool multipleFiles = false;
};

class LNavHost {
 public:
  virtual ~LNavHost() = default;
  // The chosen files (absolute paths); empty when cancelled.
  virtual QStringList AskOpenFiles(const SNavRequest& request) = 0;
  // The chosen file (an absolute path); empty when cancelled. The host confirms replacing.
  virtual QString AskSaveFile(const SNavRequest& request) = 0;
};

class UNavServicesDialogs {
 public:
  // Nothing to load on this desktop; kept for the start and end of the application.
  static void Load() {}
  static void Unload() {}

  // Installs `host` (not owned; null restores Qt's dialogs) and returns the one before.
  static LNavHost* SetHost(LNavHost* host);
  static LNavHost& GetHost();

  class LFileDesignator {
   public:
    void SetFileType(OSType fileType) { mFileType = fileType; }
    NavDialogOptions* GetDialogOptions() { return &mOptions; }
    void AddFilter(const QString& description, const QStringList& patterns);
    void SetDefaultSuffix(const QString& suffix) { mDefaultSuffix = suffix; }
    // Where the dialog starts; by default (empty) the folder last chosen in one.
    void SetStartFolder(const QString& folder) { mStartFolder = folder; }

    // Asks for a file to save to, proposing `defaultName` (Mac Roman); false when cancelled.
    bool AskDesignateFile(ConstStr255Param defaultName);
    bool AskDesignateFile(const QString& defaultName);
    void GetFileSpec(FSSpec& file) const { file = mFile; }
    // Whether the chosen file existed (the user agreed to replace it).
    bool IsReplacing() const { return mReplacing; }
    void CompleteSave() {}

   private:
    OSType mFileType = 0;
    NavDialogOptions mOptions;
    std::vector<SFileFilter> mFilters;
    QString mDefaultSuffix;
    QString mStartFolder;
    FSSpec mFile;
    bool mReplacing = false;
  };

  class LFileChooser {
   public:
    NavDialogOptions* GetDialogOptions() { return &mOptions; }
    void AddFilter(const QString& description, const QStringList& patterns);

    // Asks for files to open (one unless the options allow more); false when cancelled.
    bool AskOpenFile();
    const std::vector<FSSpec>& GetFileDescList() const { return mFiles; }

   private:
    NavDialogOptions mOptions;
    std::vector<SFileFilter> mFilters;
    std::vector<FSSpec> mFiles;
  };

 private:
  static QString StartFolder();
  static void RememberFolder(const QString& file);
};

// Installs a host for the open and save dialogs for the lifetime of the scope.
class StNavHost {
 public:
  explicit StNavHost(LNavHost* host) : mPrevious(UNavServicesDialogs::SetHost(host)) {}
  ~StNavHost() { UNavServicesDialogs::SetHost(mPrevious); }
  StNavHost(const StNavHost&) = delete;
  StNavHost& operator=(const StNavHost&) = delete;

 private:
  LNavHost* mPrevious;
};

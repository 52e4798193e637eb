// The application: it registers the pane classes the layouts name, owns the MIDI system and
// the system MIDI service made current for the whole run, owns the one document, and answers
// the application's commands: new, open, import of old-format patches, recent files, dropped
// files, MIDI devices, help and the about box.
//
// Start (Run): Initialize creates the MIDI service, makes it current, installs the help item
// and loads the MIDI settings; then StartUp makes the first, empty document, or the files
// named on the command line are opened into it. Quit: the document is asked to save its
// changes and deleted (it writes the recent files into the preference data); the destructor
// saves the MIDI settings into the preference data and releases the MIDI service.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/ui/LDocApplication.h"
#include "utilities/UFileUtils.h"

#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CEditorDoc;
class CMidiOperation;
class CMidiSystem;
class LWindow;

constexpr CommandT cmd_Import = static_cast<CommandT>(FourCC("Impt"));
constexpr CommandT cmd_MidiDevices = static_cast<CommandT>(FourCC("Mdev"));
constexpr CommandT cmd_AboutQt = static_cast<CommandT>(FourCC("AbQt"));
constexpr CommandT cmd_RecentPlaceholder = static_cast<CommandT>(FourCC("Rcnt"));
// The command of recent file n (1 to 5) is cmd_RecentFileBase + n.
constexpr CommandT cmd_RecentFileBase = static_cast<CommandT>(FourCC("Rcf0"));
constexpr CommandT cmd_RecentFile1 = cmd_RecentFileBase + 1;
constexpr int kMaxRecentFiles = 5;

constexpr const char* kAppName = "KVX Editor";
constexpr const char* kPrefFileName = "KVX Editor V2 Prefs";
constexpr OSType kPrefFileType = FourCC("pref");
constexpr ResIDT kPrefFileIconID = 1000;
constexpr const char* Tag_AppPrefs = "General Settings";

// String list 1000.
constexpr ResIDT STRx_Standards = 1000;
constexpr std::int16_t str_HelpMenuItem = 1;
constexpr std::int16_t str_HelpFileName = 2;
constexpr std::int16_t str_NoRecentFiles = 3;
constexpr std::int16_t str_Undo = 8;
constexpr std::int16_t str_Redo = 9;

constexpr ResIDT kAboutBoxLayoutID = 1001;
constexpr PaneIDT kVersionCaptionID = static_cast<PaneIDT>(FourCC("VERS"));

class CEditorApp : public LDocApplication {
 public:
  static constexpr std::uint16_t kSysxSlotCount = 5;

  using MidiSystemSource = std::function<std::unique_ptr<CMidiSystem>()>;

  // Initialize takes the MIDI system from source, by default MakeMidiSystem: a program can
  // let the system open on another thread while it starts and hand it over here.
  CEditorApp();
  explicit CEditorApp(MidiSystemSource source);
  ~CEditorApp() override;

  // ALSA or JACK if there is one, and the built-in device; errors printed on standard error.
  static std::unique_ptr<CMidiSystem> MakeMidiSystem();

  // 'Rcf1' ... 'Rcf5'.
  static bool IsRecentFileCommand(CommandT command);
  // The version the program shows ("2.0.0").
  static const char* GetShortVersionString();
  // Gives the running QApplication the program's name, version and desktop entry. No display
  // name: Qt would add it to every window title, and the main window's title names the
  // program already.
  static void NameTheProgram();

  CEditorDoc* GetEditorDoc() const { return mEditorDoc; }
  CMidiOperation* GetMidiService() const { return mMidiService.get(); }

  virtual void LoadPreference();
  virtual void SavePreference();
  virtual void SetVersionCaption(LWindow* window);

  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;
  void ShowAboutBox() override;
  void StartUp() override;
  void Initialize() override;
  void OpenDocument(FSSpec* file) override;
  LDocument* MakeNewDocument() override;
  void ChooseDocument() override;

  // Files another start of the editor handed over (absolute paths): the main window comes to
  // the front and they are opened as if chosen with Open, once no modal dialog or alert is
  // up.
  void OpenHandedFiles(const QStringList& files);

  // The command of the help item, which the help menu gives it.
  CommandT GetHelpCommand() const;
  void OpenHelp();
  // The help page `name`: in the program's folder (a build), else in share/kvx-editor beside
  // the program's bin folder (an installation). The first place when it is in neither.
  static std::filesystem::path FindHelpPage(const std::filesystem::path& programFolder,
                                            const std::string& name);

 protected:
  void RegisterClasses();
  void SetupHelpMenu();

 private:
  // Asks the modified document whether to save; false when the user cancelled (the document
  // is still modified). Open and Import ask only once a file has been chosen.
  bool DocumentAgreesToClose();
  void OpenRecentFile(CommandT command);
  void ImportOldPatch();
  void OpenDroppedFile(FSSpec* file);
  void OpenPendingHandedFiles();

  std::unique_ptr<CMidiOperation> mMidiService;  // a COSXMidiService
  std::uint16_t mHelpItemIndex = 0;
  CEditorDoc* mEditorDoc = nullptr;  // a sub-commander: the framework deletes it
  // While set, OpenDocument loads the file as an undoable step of this name (a dropped file).
  const char* mOpenStep = nullptr;

  std::vector<FSSpec> mHandedFiles;  // waiting for a modal dialog or alert to go

  // The MIDI system under the service; it outlives the service.
  MidiSystemSource mMidiSystemSource;
  std::unique_ptr<CMidiSystem> mMidiSystem;
  UFileUtils::FileOpener mPreviousFileOpener;
};

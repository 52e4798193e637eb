// The application: the top of the commander chain and the event dispatcher. It needs a
// QApplication, and while it exists it installs the GUI's dialog host (StDialogHandler) and
// alert presenter (UModalAlerts) and reads menu bar 128 when the resources have one.
//
// Run(): Initialize(); the periodicals start; the application becomes the target; StartUp(),
// or OpenFilesAtLaunch() with the files named on the command line; Qt's event loop until
// quit; then the documents (sub-commanders) are deleted. cmd_Quit asks every document to save
// its changes first (AttemptQuitSelf) and quits unless one cancels.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/LCommander.h"
#include "framework/ui/LEventDispatcher.h"
#include "framework/ui/LQtAlertPresenter.h"
#include "framework/ui/LQtDialogHost.h"

#include <memory>
#include <vector>

class LMenuBar;

class LApplication : public LCommander, public LEventDispatcher {
 public:
  static constexpr ResIDT kMenuBarID = 128;

  LApplication();
  ~LApplication() override;

  static LApplication* GetApplication();

  virtual void Run();
  virtual void Initialize() {}
  virtual void StartUp() {}
  virtual void ShowAboutBox();
  // True when every document agreed to quit.
  virtual bool AttemptQuit();

  bool ObeyCommand(CommandT command, void* param) override;
  void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, std::uint16_t& mark,
                         Str255 name) override;

  // The files named on the command line (arguments that are not options).
  static std::vector<FSSpec> CommandLineFiles();

 protected:
  virtual void OpenFilesAtLaunch(const std::vector<FSSpec>& /*files*/) {}

 private:
  std::unique_ptr<LMenuBar> mMenuBar;
  LQtDialogHost mDialogHost;
  LDialogHost* mPreviousDialogHost = nullptr;
  LQtAlertPresenter mAlertPresenter;
  LAlertPresenter* mPreviousAlertPresenter = nullptr;
};

// One QApplication for the whole test program, on Qt's offscreen platform unless the caller
// chose another, with the editor's pane classes and an event dispatcher as the application
// has them.
#include "framework/ui/LEventDispatcher.h"
#include "framework/ui/UControlRegistry.h"
#include "framework/ui/URegistrar.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "support/CPatchCmdEditField.h"
#include "support/CSpinEditField.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CMainWindowEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    mApplication = std::make_unique<QApplication>(mArgc, mArgv);
    UControlRegistry::RegisterViewClasses();
    UControlRegistry::RegisterAMClasses();
    URegistrar::RegisterClass<CPatchCmdEditField>();
    URegistrar::RegisterClass<CSpinEditField>();
    URegistrar::RegisterClass<CMainWindow>();
    URegistrar::RegisterClass<CMainPicture>();
    mDispatcher = std::make_unique<LEventDispatcher>();
  }

  void TearDown() override {
    mDispatcher.reset();
    mApplication.reset();
  }

 private:
  char mName[16] = "test_mainwindow";
  char* mArgv[2] = {mName, nullptr};
  int mArgc = 1;
  std::unique_ptr<QApplication> mApplication;
  std::unique_ptr<LEventDispatcher> mDispatcher;
};

[[maybe_unused]] auto* const sEnvironment =
    ::testing::AddGlobalTestEnvironment(new CMainWindowEnvironment);

}  // namespace

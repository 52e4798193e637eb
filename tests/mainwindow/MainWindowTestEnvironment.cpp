// One QApplication for the whole test program, with the editor's pane classes and an event
// dispatcher as the application has them.
#include "dialogs/assigndialog/UAssignDialogClasses.h"
#include "framework/ui/LEventDispatcher.h"
#include "framework/ui/UControlRegistry.h"
#include "framework/ui/URegistrar.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "support/CPatchCmdEditField.h"
#include "support/CQtTestEnvironment.h"
#include "support/CSpinEditField.h"

#include <memory>

namespace {

class CMainWindowEnvironment final : public kvxtest::CQtTestEnvironment {
 public:
  CMainWindowEnvironment() = default;

 protected:
  void SetUpApplication() override {
    UControlRegistry::RegisterViewClasses();
    UControlRegistry::RegisterAMClasses();
    URegistrar::RegisterClass<CPatchCmdEditField>();
    URegistrar::RegisterClass<CSpinEditField>();
    URegistrar::RegisterClass<CMainWindow>();
    URegistrar::RegisterClass<CMainPicture>();
    UAssignDialogClasses::RegisterClasses();
    mDispatcher = std::make_unique<LEventDispatcher>();
  }
  void TearDownApplication() override { mDispatcher.reset(); }

 private:
  std::unique_ptr<LEventDispatcher> mDispatcher;
};

[[maybe_unused]] auto* const sEnvironment =
    ::testing::AddGlobalTestEnvironment(new CMainWindowEnvironment);

}  // namespace

// One QApplication for the whole test program, with the editor's pane classes and an event
// dispatcher as the application has them.
#include "dialogs/assigndialog/UAssignDialogClasses.h"
#include "framework/ui/LEventDispatcher.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/UMainWindowClasses.h"
#include "support/CQtTestEnvironment.h"

#include <memory>

namespace {

class CMainWindowEnvironment final : public kvxtest::CQtTestEnvironment {
 public:
  CMainWindowEnvironment() = default;

 protected:
  void SetUpApplication() override {
    UMainWindowClasses::RegisterClasses();
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

// One QApplication for the whole test program, named as kvx-editor names itself.
#include "app/CEditorApp.h"
#include "support/CQtTestEnvironment.h"

namespace {

class CEditorTestEnvironment final : public kvxtest::CQtTestEnvironment {
 protected:
  void SetUpApplication() override { CEditorApp::NameTheProgram(); }
};

[[maybe_unused]] auto* const sEnvironment =
    ::testing::AddGlobalTestEnvironment(new CEditorTestEnvironment);

}  // namespace

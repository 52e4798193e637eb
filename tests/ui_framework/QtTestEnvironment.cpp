// One QApplication for the whole test program, with the framework's and the tests' pane classes.
#include "UiTestSupport.h"
#include "framework/ui/UControlRegistry.h"
#include "support/CQtTestEnvironment.h"

namespace {

class CUiEnvironment final : public kvxtest::CQtTestEnvironment {
 public:
  CUiEnvironment() : CQtTestEnvironment(QStringLiteral("KVX Editor Tests")) {}

 protected:
  void SetUpApplication() override {
    UControlRegistry::RegisterViewClasses();
    UControlRegistry::RegisterAMClasses();
    kvxtest::RegisterTestClasses();
  }
};

[[maybe_unused]] auto* const sEnvironment = ::testing::AddGlobalTestEnvironment(new CUiEnvironment);

}  // namespace

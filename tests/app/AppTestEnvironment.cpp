// One QApplication for the whole test program, on Qt's offscreen platform unless the caller
// chose another.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CQtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    mApplication = std::make_unique<QApplication>(mArgc, mArgv);
    QApplication::setApplicationDisplayName(QStringLiteral("KVX Editor"));
  }
  void TearDown() override { mApplication.reset(); }

 private:
  char mName[16] = "test_app";
  char* mArgv[2] = {mName, nullptr};
  int mArgc = 1;
  std::unique_ptr<QApplication> mApplication;
};

[[maybe_unused]] auto* const sEnvironment = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

}  // namespace

// One QApplication for a whole test program, on Qt's offscreen platform unless the caller chose
// another (a test run under a virtual X server sets QT_QPA_PLATFORM=xcb). Test programs derive
// from it to register their pane classes once the application exists.
#pragma once

#include <QApplication>
#include <QString>

#include <gtest/gtest.h>

#include <memory>

namespace kvxtest {

class CQtTestEnvironment : public ::testing::Environment {
 public:
  explicit CQtTestEnvironment(QString displayName = {}) : mDisplayName(std::move(displayName)) {}

  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    mApplication = std::make_unique<QApplication>(mArgc, mArgv);
    if (!mDisplayName.isEmpty()) QApplication::setApplicationDisplayName(mDisplayName);
    SetUpApplication();
  }

  void TearDown() override {
    TearDownApplication();
    mApplication.reset();
  }

 protected:
  virtual void SetUpApplication() {}
  virtual void TearDownApplication() {}

 private:
  QString mDisplayName;
  char mName[16] = "kvx_test";
  char* mArgv[2] = {mName, nullptr};
  int mArgc = 1;
  std::unique_ptr<QApplication> mApplication;
};

}  // namespace kvxtest

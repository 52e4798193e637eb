// Periodicals run from Qt's event loop, also while a modal dialog or an alert runs its own.
#include "framework/core/LPeriodical.h"
#include "framework/core/UModalAlerts.h"
#include "framework/ui/LQtAlertPresenter.h"
#include "framework/ui/UPeriodicals.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class CTask final : public LPeriodical {
 public:
  explicit CTask(std::function<void()> action) : mAction(std::move(action)) {}
  void SpendTime(const EventRecord&) override {
    ++turns;
    mAction();
  }
  int turns = 0;

 private:
  std::function<void()> mAction;
};

class Periodicals : public ::testing::Test {
 protected:
  void SetUp() override { UPeriodicals::Start(); }
  void TearDown() override { UPeriodicals::Stop(); }
};

TEST_F(Periodicals, AnIdlerRunsWhileADialogRunsItsModalLoop) {
  QDialog dialog;
  CTask idler([] {
    if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) modal->accept();
  });
  idler.StartIdling();
  // Only a guard: without the idler the dialog would be rejected after a long while.
  QTimer::singleShot(20000, &dialog, &QDialog::reject);
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_GT(idler.turns, 0);
}

TEST_F(Periodicals, ARepeaterRunsWhileAnAlertIsUpAndSeesItsMacRomanTextInUnicode) {
  LQtAlertPresenter presenter;
  StAlertPresenter installed(&presenter);
  QString shown;
  CTask repeater([&shown] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->accept();
    }
  });
  repeater.StartRepeating();
  UModalAlerts::CautionAlert(10000, "Caf\x8E au lait");
  EXPECT_EQ(shown, QStringLiteral("Café au lait"));
}

TEST_F(Periodicals, StoppingTheDriverStopsTheTurns) {
  CTask idler([] {});
  idler.StartIdling();
  UPeriodicals::Stop();
  EXPECT_FALSE(UPeriodicals::IsRunning());
  QDialog dialog;
  QTimer::singleShot(50, &dialog, &QDialog::accept);
  dialog.exec();
  EXPECT_EQ(idler.turns, 0);
}

}  // namespace

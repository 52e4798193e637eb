#include "framework/ui/LQtAlertPresenter.h"

#include "framework/ui/StTargetKeeper.h"
#include "framework/ui/UDesktop.h"
#include "framework/ui/UQtText.h"

#include <QApplication>
#include <QMessageBox>

void LQtAlertPresenter::CautionAlert(ResIDT, const std::string& message) {
  StTargetKeeper keeper;
  // The core's texts are Mac Roman.
  QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                  UQtText::FromMacRoman(message), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

bool LQtAlertPresenter::IsFrontProcess(bool bringToFront) {
  const bool front = QGuiApplication::applicationState() == Qt::ApplicationActive;
  if (!front && bringToFront) UDesktop::Resume();
  return front;
}

void LQtAlertPresenter::Resume() { UDesktop::Resume(); }

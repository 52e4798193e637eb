#include "app/main/CFirstPaintProbe.h"

#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "document/CPatch.h"
#include "framework/ui/LApplication.h"
#include "framework/ui/UQtText.h"
#include "framework/ui/UCommands.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <iostream>

CFirstPaintProbe::CFirstPaintProbe(SOptions options) : mOptions(std::move(options)) {}

bool CFirstPaintProbe::eventFilter(QObject* watched, QEvent* event) {
  if (!mSeen && event->type() == QEvent::Paint && watched->isWidgetType()) {
    auto* window = dynamic_cast<CMainWindow*>(static_cast<QWidget*>(watched)->window());
    if (window != nullptr) {
      mSeen = true;
      // The whole window is painted by the time the loop comes round again.
      QPointer<QWidget> guard(window);
      QTimer::singleShot(0, this, [this, guard] {
        if (guard != nullptr) AfterFirstPaint(dynamic_cast<CMainWindow*>(guard.data()));
      });
    }
  }
  return QObject::eventFilter(watched, event);
}

void CFirstPaintProbe::AfterFirstPaint(CMainWindow* window) {
  if (window == nullptr) return;
  if (mOptions.showCaptions) {
    bool enabled = false;
    bool usesMark = false;
    std::uint16_t mark = noMark;
    Str255 name = {0};
    window->FindCommandStatus(cmd_ShowCaptions, enabled, usesMark, mark, name);
    if (mark != checkMark) window->ObeyCommand(cmd_ShowCaptions, nullptr);
  }
  QWidget* shown = window;
  if (!mOptions.openController.isEmpty()) {
    shown = OpenController(*window);
    if (shown == nullptr) mExitStatus = 1;
  }
  if (shown != nullptr && !mOptions.screenshotFile.isEmpty() && !SaveScreenshot(*shown))
    mExitStatus = 1;
  if (mOptions.quit) {
    // Start-up measurements take the time this line arrives.
    if (mOptions.screenshotFile.isEmpty())
      std::cout << "kvx-editor: the main window was painted" << std::endl;
    if (LApplication* application = LApplication::GetApplication())
      application->ObeyCommand(cmd_Quit, nullptr);
  }
}

QWidget* CFirstPaintProbe::OpenController(CMainWindow& window) const {
  for (long index = 0; index < kControllerCount; ++index) {
    const QString name = UQtText::FromPStr(kControllerInfo[index].descriptor);
    if (name.compare(mOptions.openController, Qt::CaseInsensitive) != 0) continue;
    window.OpenAssignDialog(index);
    // Laid out and painted before the picture is taken.
    QCoreApplication::processEvents();
    return window.GetAssignDialog();
  }
  std::cerr << "kvx-editor: no controller is named " << mOptions.openController.toStdString()
            << " (R1-R9, S1-S9, A1-A9, B1-B9, C1-C3, H1-H2, L1-L4, P1, P2, BEND, MOD, AFT)"
            << std::endl;
  return nullptr;
}

bool CFirstPaintProbe::SaveScreenshot(QWidget& window) const {
  // grab() draws the window's panes afresh, so the captions shown just now are in it.
  const QPixmap picture = window.grab();
  if (picture.isNull() || !picture.save(mOptions.screenshotFile, "PNG")) {
    std::cerr << "kvx-editor: cannot write the screenshot to "
              << mOptions.screenshotFile.toStdString() << std::endl;
    return false;
  }
  const char* what = dynamic_cast<CMainWindow*>(&window) != nullptr ? "main window" : "assign dialog";
  std::cout << "kvx-editor: screenshot of the " << what << " (" << picture.width() << "x"
            << picture.height() << ") saved to " << mOptions.screenshotFile.toStdString()
            << std::endl;
  return true;
}

#include "app/main/CFirstPaintProbe.h"

#include "framework/ui/LApplication.h"
#include "framework/ui/UCommands.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/MainWindowCommands.h"

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
  if (!mOptions.screenshotFile.isEmpty() && !SaveScreenshot(*window)) mExitStatus = 1;
  if (mOptions.quit) {
    // Start-up measurements take the time this line arrives.
    if (mOptions.screenshotFile.isEmpty())
      std::cout << "kvx-editor: the main window was painted" << std::endl;
    if (LApplication* application = LApplication::GetApplication())
      application->ObeyCommand(cmd_Quit, nullptr);
  }
}

bool CFirstPaintProbe::SaveScreenshot(CMainWindow& window) const {
  // grab() draws the window's panes afresh, so the captions shown just now are in it.
  const QPixmap picture = window.grab();
  if (picture.isNull() || !picture.save(mOptions.screenshotFile, "PNG")) {
    std::cerr << "kvx-editor: cannot write the screenshot to "
              << mOptions.screenshotFile.toStdString() << std::endl;
    return false;
  }
  std::cout << "kvx-editor: screenshot of the main window (" << picture.width() << "x"
            << picture.height() << ") saved to " << mOptions.screenshotFile.toStdString()
            << std::endl;
  return true;
}

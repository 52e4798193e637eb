// Watches for the first paint of the main window, then (on the next pass of the event loop)
// shows the captions and opens the assign dialog on a controller when asked to, saves a
// picture of the window (of the dialog, when it was opened) when asked to, and quits when
// asked to. kvx-editor uses it for --screenshot, --open-controller and
// --quit-after-first-paint.
#pragma once

#include <QObject>
#include <QString>

class CMainWindow;
class QWidget;

class CFirstPaintProbe final : public QObject {
 public:
  struct SOptions {
    QString screenshotFile;  // empty: no picture
    bool showCaptions = false;
    QString openController;  // a controller's descriptor, empty: none
    bool quit = false;
  };

  explicit CFirstPaintProbe(SOptions options);
  bool IsNeeded() const { return !mOptions.screenshotFile.isEmpty() || mOptions.quit; }
  // 0 until the window was painted and the picture (if asked for) saved; then 0 or 1.
  int GetExitStatus() const { return mExitStatus; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AfterFirstPaint(CMainWindow* window);
  // Opens the assign dialog on the controller named; null when no controller has that name.
  QWidget* OpenController(CMainWindow& window) const;
  bool SaveScreenshot(QWidget& window) const;

  SOptions mOptions;
  bool mSeen = false;
  int mExitStatus = 0;
};

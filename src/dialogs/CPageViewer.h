// A window that shows an HTML page of the editor's own (the help page, the assign list) inside
// the program, so that neither needs a browser. Links to places in the page and to other
// local pages are followed in the window; links to the web open in the desktop's browser.
// Escape and Ctrl+W close the window, which then deletes itself. Main thread only.
#pragma once

#include <QUrl>
#include <QWidget>

#include <filesystem>

class QTextBrowser;

class CPageViewer final : public QWidget {
 public:
  // Brings up the viewer that shows `page` already, with the page read again, or a new one.
  // Null when the page cannot be read.
  static CPageViewer* Show(const std::filesystem::path& page);
  // True for the files Show is meant for (.html, .htm).
  static bool IsPage(const std::filesystem::path& file);

  QTextBrowser& GetBrowser() const { return *mBrowser; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit CPageViewer(const QUrl& page);
  void Load();
  static bool ClosesTheWindow(const QEvent& event);

  QUrl mPage;
  QTextBrowser* mBrowser;  // a child
};

#include "dialogs/CPageViewer.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

constexpr int kDefaultWidth = 820;
constexpr int kDefaultHeight = 720;

}  // namespace

CPageViewer* CPageViewer::Show(const std::filesystem::path& page) {
  const QFileInfo file(QString::fromStdString(page.string()));
  if (!file.isFile() || !file.isReadable()) return nullptr;
  const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
  CPageViewer* viewer = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* shown = dynamic_cast<CPageViewer*>(window);
    if (shown != nullptr && shown->mPage == url) viewer = shown;
  }
  if (viewer == nullptr) {
    viewer = new CPageViewer(url);
    viewer->resize(kDefaultWidth, kDefaultHeight);
  }
  viewer->Load();
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
  return viewer;
}

bool CPageViewer::IsPage(const std::filesystem::path& file) {
  const QString suffix = QFileInfo(QString::fromStdString(file.string())).suffix().toLower();
  return suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

CPageViewer::CPageViewer(const QUrl& page)
    : QWidget(nullptr, Qt::Window), mPage(page), mBrowser(new QTextBrowser(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(mBrowser);
  // Links with a scheme other than file go to the desktop (QDesktopServices).
  mBrowser->setOpenExternalLinks(true);
  mBrowser->installEventFilter(this);
  QObject::connect(mBrowser, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = mBrowser->documentTitle();
    setWindowTitle(title.isEmpty() ? mBrowser->source().fileName() : title);
  });
}

void CPageViewer::Load() {
  if (mBrowser->source() == mPage) {
    mBrowser->reload();
  } else {
    mBrowser->setSource(mPage);
  }
  mBrowser->setFocus();
}

bool CPageViewer::ClosesTheWindow(const QEvent& event) {
  const auto& key = static_cast<const QKeyEvent&>(event);
  return (key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier) ||
         key.matches(QKeySequence::Close);
}

bool CPageViewer::eventFilter(QObject* watched, QEvent* event) {
  const bool keyEvent =
      event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
  if (watched != mBrowser || !keyEvent || !ClosesTheWindow(*event)) {
    return QWidget::eventFilter(watched, event);
  }
  // The menus' shortcuts reach every window (Ctrl+W is also File > Close): taking the
  // override makes the key arrive here as a key press instead.
  event->accept();
  if (event->type() == QEvent::KeyPress) close();
  return true;
}

#include "MainWindowTestSupport.h"

#include "framework/core/LString.h"
#include "framework/ui/LWindow.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QTest>
#include <QUrl>

#include <cstring>

namespace kvxtest {

bool CRecordingCommander::ObeyCommand(CommandT command, void* param) {
  commands.push_back(command);
  if (command == cmd_OpenDroppedFile && param != nullptr) {
    droppedFiles.push_back(*cmd_OpenDroppedFile.Param(param));
  }
  return true;
}

CPaintRecorder::CPaintRecorder(QWidget& widget) : mWidget(widget) {
  widget.installEventFilter(this);
}

bool CPaintRecorder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &mWidget && event->type() == QEvent::Paint) {
    mPainted += static_cast<QPaintEvent*>(event)->region();
  }
  return false;
}

const QRegion& CPaintRecorder::Flush() {
  MainWindowTest::Settle();
  return mPainted;
}

MainWindowTest::MainWindowTest() {
  window = dynamic_cast<CMainWindow*>(LWindow::CreateWindow(CMainWindow::kLayoutID, &root));
  if (window == nullptr) throw std::runtime_error("layout 1000 is no main window");
  window->SetPatch(&patch);
  picture = window->GetPicture();
  window->Show();
  if (!QTest::qWaitForWindowExposed(window)) throw std::runtime_error("the window is not shown");
  LCommander::SwitchTarget(window);
  Settle();
}

MainWindowTest::~MainWindowTest() {
  LCommander::SwitchTarget(nullptr);
  Settle();
}

void MainWindowTest::Settle() {
  for (int pass = 0; pass < 3; ++pass) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

void MainWindowTest::ClickPicture(Point local) {
  // Through the window system, as a real click comes: the event dispatcher sees it first.
  const QPoint inWindow = picture->mapTo(window, QPoint(local.h, local.v));
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow);
}

void MainWindowTest::TypeKey(int key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(window, static_cast<Qt::Key>(key), modifiers);
}

SPatchParam StoredRecord(std::uint8_t msgType, std::uint8_t channel, std::uint8_t port,
                         std::initializer_list<std::uint8_t> data, const char* name) {
  CPatch scratch;
  SPatchParam record{};
  record.msgType = msgType;
  record.channel = channel;
  record.outputPort = port;
  std::size_t k = 0;
  for (std::uint8_t byte : data) record.data[k++] = byte;
  LString::FromStd(name, record.name, sizeof record.name);
  scratch.SetParam(0, &record);
  SPatchParam stored;
  scratch.GetParam(0, stored);
  return stored;
}

bool DropFiles(QWidget& target, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) {
    urls.push_back(path.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(path) : QUrl(path));
  }
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &drop);
  return drop.isAccepted();
}

bool SameBytes(const SPatchParam& a, const SPatchParam& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace kvxtest

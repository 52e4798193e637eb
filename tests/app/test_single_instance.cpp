// A second start of the editor hands its files to the running one, which opens them once no
// modal dialog is in the way.
#include "EditorTestSupport.h"

#include "app/CSingleInstance.h"
#include "mainwindow/CMainWindow.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>

namespace kvxtest {
namespace {

// Two editors in one test program: a socket of the test's own.
class SingleInstance : public EditorTest {
 protected:
  QString Address() const { return QString::fromStdString((mFolder / "editor.socket").string()); }
  // Runs the event loop until `done` or a generous limit.
  static void ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
      QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
};

TEST_F(SingleInstance, ASecondStartHandsItsFilesToTheFirst) {
  CSingleInstance first(Address());
  CSingleInstance second(Address());
  EXPECT_FALSE(second.HandOver({})) << "nobody listens yet";

  std::vector<QStringList> received;
  ASSERT_TRUE(first.Listen([&](const QStringList& files) { received.push_back(files); }));
  EXPECT_FALSE(second.Listen(nullptr)) << "the address is taken";
  const QStringList files{QStringLiteral("/patches/a b.mid"), QStringLiteral("/x/ü.mid")};
  EXPECT_TRUE(second.HandOver(files));
  EXPECT_TRUE(second.HandOver({}));
  ProcessUntil([&] { return received.size() == 2; });
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], files);
  EXPECT_TRUE(received[1].isEmpty()) << "a start without files only raises the editor";
}

TEST_F(SingleInstance, ASocketLeftBehindIsTakenOver) {
  {
    QFile leftover(Address());
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  }
  CSingleInstance editor(Address());
  EXPECT_FALSE(CSingleInstance(Address()).HandOver({}));
  EXPECT_TRUE(editor.Listen(nullptr));
  EXPECT_TRUE(editor.IsListening());
}

TEST_F(SingleInstance, HandedFilesOpenOnceNoDialogIsUp) {
  StartEditor();
  const FSSpec file = ExamplePatch("synth-setup.mid");
  const QStringList files{QString::fromStdString(file.Path().string())};

  QDialog modal(Doc().GetMainWindow());
  modal.setModal(true);
  modal.show();
  mApp->OpenHandedFiles(files);
  EXPECT_FALSE(Doc().IsSpecified()) << "not under a modal dialog";
  modal.hide();
  ProcessUntil([&] { return Doc().IsSpecified(); });
  EXPECT_EQ(Doc().GetFileSpec(), file);
  EXPECT_EQ(Doc().GetRecentFiles(), std::vector<FSSpec>{file});
}

TEST_F(SingleInstance, TheAddressFollowsThePreferencesFolder) {
  const QString here = CSingleInstance::DefaultAddress();
  const std::string other = (mFolder / "other-config").string();
  StEnvironment elsewhere("XDG_CONFIG_HOME", other.c_str());
  EXPECT_NE(CSingleInstance::DefaultAddress(), here);
  EXPECT_TRUE(here.startsWith(QString::fromStdString(RuntimeFolder().string())))
      << here.toStdString();
}

}  // namespace
}  // namespace kvxtest

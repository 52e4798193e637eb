// The device picture as the X server shows it in the main window at other sizes, against the
// drawing rendered directly at the size it should have there: a picture scaled, placed or
// cut wrongly differs by far more than the tolerance. Without a display the program runs
// itself under xvfb-run; with neither the tests are skipped.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/CPatch.h"
#include "framework/ui/LEventDispatcher.h"
#include "mainwindow/CMainPicture.h"
#include "mainwindow/CMainWindow.h"
#include "mainwindow/UMainWindowClasses.h"

namespace {

bool HasDisplay() { return std::getenv("DISPLAY") != nullptr; }

// Mean absolute difference per colour channel (0..255) of two images of the same size.
double MeanDifference(const QImage& a, const QImage& b) {
  const QImage first = a.convertToFormat(QImage::Format_RGB32);
  const QImage second = b.convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int y = 0; y < first.height(); ++y) {
    for (int x = 0; x < first.width(); ++x) {
      const QRgb p = first.pixel(x, y), q = second.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
             std::abs(qBlue(p) - qBlue(q));
    }
  }
  return sum / (3.0 * first.width() * first.height());
}

// The device drawing rendered directly at `size`, over the window's background.
QImage DrawingAt(QSize size, const QColor& background) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(background);
  QPainter painter(&image);
  QSvgRenderer(QStringLiteral(":/device/kvx-device.svg")).render(&painter, QRectF(image.rect()));
  return image;
}

class PictureOnScreenTest : public ::testing::TestWithParam<QSize> {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "needs an X server (DISPLAY) or xvfb-run";
    mWindow.reset(
        dynamic_cast<CMainWindow*>(LWindow::CreateWindow(CMainWindow::kLayoutID, nullptr)));
    ASSERT_NE(mWindow, nullptr);
    mWindow->SetPatch(&mPatch);
  }

  CPatch mPatch;
  std::unique_ptr<CMainWindow> mWindow;
};

TEST_P(PictureOnScreenTest, TheScreenShowsTheDrawingRenderedAtItsScaledSize) {
  mWindow->resize(GetParam());
  mWindow->Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(mWindow.get()));
  // The sharp rendering follows a resize once the size has held still.
  QTest::qWait(LPicture::kSharpRenderDelayMs * 3);
  CMainPicture& picture = *mWindow->GetPicture();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !picture.IsShowingStandIn(picture.devicePixelRatioF()); }, 10000));
  QTest::qWait(LPicture::kSharpRenderDelayMs);  // for its paint to reach the screen

  const QRect area = picture.GetPictureRect();
  const QPoint inWindow = picture.mapTo(mWindow.get(), area.topLeft());
  const QImage shown =
      mWindow->screen()
          ->grabWindow(mWindow->winId(), inWindow.x(), inWindow.y(), area.width(), area.height())
          .toImage();
  ASSERT_EQ(shown.size(), area.size());
  const QImage expected = DrawingAt(area.size(), picture.palette().color(QPalette::Window));
  const double difference = MeanDifference(shown, expected);
  EXPECT_LT(difference, 2.0);

  // The tolerance is far below what a picture off by a few pixels gives.
  const QImage shifted =
      DrawingAt(area.size() + QSize(6, 2), picture.palette().color(QPalette::Window))
          .copy(QRect(QPoint(3, 1), area.size()));
  EXPECT_GT(MeanDifference(shown, shifted), 4 * std::max(difference, 2.0));
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, PictureOnScreenTest,
                         ::testing::Values(QSize(1100, 420), QSize(1300, 330)),
                         [](const auto& size) {
                           return "Window" + std::to_string(size.param.width()) + "x" +
                                  std::to_string(size.param.height());
                         });

// Runs the program again under a virtual X server; returns only when that cannot be done.
void RerunUnderXvfb(int argc, char** argv) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) return;
  ::setenv("KVX_SCREENSHOT_RERUN", "1", 1);
  std::vector<char*> arguments;
  std::string server = "-screen 0 1600x1200x24";
  std::string flagA = "-a", flagS = "-s", program = "xvfb-run";
  arguments = {program.data(), flagA.data(), flagS.data(), server.data()};
  for (int i = 0; i < argc; ++i) arguments.push_back(argv[i]);
  arguments.push_back(nullptr);
  ::execvp("xvfb-run", arguments.data());
}

bool OnlyListsTests(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return true;
  return false;
}

}  // namespace

// Under the leak checker: Qt's X11 platform plugin loads libdbus, whose session bus connection
// is never freed. That leak is the system library's, not the editor's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

int main(int argc, char** argv) {
  if (!HasDisplay() && !OnlyListsTests(argc, argv) && !std::getenv("KVX_SCREENSHOT_RERUN"))
    RerunUnderXvfb(argc, argv);
  ::setenv("QT_QPA_PLATFORM", HasDisplay() ? "xcb" : "offscreen", 1);
  QApplication application(argc, argv);
  UMainWindowClasses::RegisterClasses();
  LEventDispatcher dispatcher;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Pictures, cursors, text traits, the event dispatcher's attachments, where windows open and
// the menu bar of a window.
#include "UiTestSupport.h"

#include "framework/ui/LAttachment.h"
#include "framework/ui/LEventDispatcher.h"
#include "framework/ui/LMenu.h"
#include "framework/ui/LMenuBar.h"
#include "framework/ui/LPicture.h"
#include "framework/ui/UCursor.h"
#include "framework/ui/UKeyboard.h"
#include "framework/ui/UTextTraits.h"

#include <QApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kvxtest::CLoggingView;

std::unique_ptr<LWindow> ShownWindow(ResIDT layoutID, LCommander* super = nullptr) {
  std::unique_ptr<LWindow> window(LWindow::CreateWindow(layoutID, super));
  window->Show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  return window;
}

TEST(LPicture, DrawsItsPictureResourceIntoItsFrame) {
  const auto window = ShownWindow(9004);
  auto* picture = window->FindPaneByID<LPicture>(7);
  EXPECT_EQ(picture->GetPictureID(), QStringLiteral(":/pictures/halves.svg"));
  EXPECT_EQ(picture->sizeHint(), QSize(40, 20));
  // Scaled to the pane with its 2:1 aspect ratio kept, in the middle.
  const QRect area = picture->GetPictureRect();
  EXPECT_EQ(area.width(), 2 * area.height());
  EXPECT_LE((area.center() - picture->rect().center()).manhattanLength(), 1);
  const QImage image = picture->grab().toImage();
  EXPECT_EQ(image.pixelColor(area.left() + 5, area.center().y()), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(area.right() - 5, area.center().y()), QColor(Qt::blue));
  EXPECT_THROW(picture->SetPictureID(QStringLiteral("pictures/none.svg")), LException);
  EXPECT_EQ(picture->GetPictureID(), QStringLiteral(":/pictures/halves.svg")) << "kept";
}

TEST(UCursor, AdjustMouseSelfSetsThePanesCursorAsTheMouseMoves) {
  const auto window = ShownWindow(9004);
  auto* pane = window->FindPaneByID(8);
  QTest::mouseMove(pane, QPoint(5, 5));
  EXPECT_EQ(pane->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseMove(pane, QPoint(30, 5));
  EXPECT_EQ(pane->cursor().shape(), Qt::ArrowCursor);

  EXPECT_THROW(LColorCursor(9002), LException) << "an unknown shape";
  EXPECT_THROW(LColorCursor(9999), LException) << "no such cursor";
}

TEST(UTextTraits, GiveFontSizeStyleAndColourByID) {
  const QFont font = UTextTraits::GetFont(9132);
  EXPECT_EQ(font.pointSize(), 17);
  EXPECT_TRUE(font.bold());
  EXPECT_EQ(UTextTraits::GetColor(9132), QColor(0x33, 0x66, 0x99));
  EXPECT_EQ(UTextTraits::GetFont(4242), QGuiApplication::font())
      << "no resource: the application font";
  EXPECT_THROW(UTextTraits::GetFont(9133), LException) << "a size of 0 points";
}

// Keeps the events it sees and lets them go on, or stops them.
class CWatchingAttachment final : public LAttachment {
 public:
  explicit CWatchingAttachment(bool letThrough) : LAttachment(msg_Event, letThrough) {}
  std::vector<EventRecord> events;

 protected:
  void ExecuteSelf(MessageT, void* param) override {
    events.push_back(*msg_Event.Param(param));
  }
};

// A click as the window system delivers it: to the window, which hands it to the widget.
void ClickThroughTheWindow(QWidget* widget, QPoint local) {
  QWindow* window = widget->window()->windowHandle();
  const QPointF inWindow = widget->mapTo(widget->window(), local);
  const QPointF global = widget->mapToGlobal(local);
  QMouseEvent press(QEvent::MouseButtonPress, inWindow, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(window, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, inWindow, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(window, &release);
}

TEST(LEventDispatcher, AttachmentsSeeEveryPressFirstAndMayStopIt) {
  LEventDispatcher dispatcher;
  EXPECT_EQ(LEventDispatcher::GetCurrentEventDispatcher(), &dispatcher);
  const auto window = ShownWindow(9001);
  auto* pane = static_cast<CLoggingView*>(window->FindPaneByID(31));

  CWatchingAttachment watcher(true);
  dispatcher.AddAttachment(&watcher);
  ClickThroughTheWindow(pane, QPoint(3, 4));
  ASSERT_EQ(watcher.events.size(), 1u) << "the press only, once";
  EXPECT_EQ(watcher.events[0].what, mouseDown);
  EXPECT_EQ(pane->lastClick, (Point{4, 3}));

  pane->lastClick = Point{-1, -1};
  {
    CWatchingAttachment stopper(false);
    dispatcher.AddAttachment(&stopper);
    ClickThroughTheWindow(pane, QPoint(3, 4));
    EXPECT_EQ(stopper.events.size(), 1u);
    EXPECT_EQ(pane->lastClick, (Point{-1, -1})) << "stopped before the window";
  }
  ClickThroughTheWindow(pane, QPoint(6, 2));  // the stopper has left with its scope
  EXPECT_EQ(pane->lastClick, (Point{2, 6}));
  EXPECT_EQ(watcher.events.size(), 3u);
}

TEST(LWindow, OpensInFrontOfTheWindowOfItsSuperCommander) {
  const auto main = ShownWindow(9001);
  std::unique_ptr<LWindow> dialog(LWindow::CreateWindow(9004, main.get()));
  EXPECT_TRUE(dialog->isWindow());
  EXPECT_EQ(dialog->parentWidget(), main.get());
  EXPECT_EQ(dialog->GetSuperCommander(), main.get());
  EXPECT_EQ(main->FindPaneByID(7), nullptr) << "panes of other windows are not searched";

  LCommander document;
  std::unique_ptr<LWindow> alone(LWindow::CreateWindow(9004, &document));
  EXPECT_EQ(alone->parentWidget(), nullptr);
}

TEST(LWindow, AWindowAskingForTheMenuBarShowsTheApplicationsMenus) {
  LMenuBar bar(9128);
  const auto window = ShownWindow(9004);
  auto* menuBar = window->findChild<QMenuBar*>();
  ASSERT_NE(menuBar, nullptr);
  ASSERT_EQ(menuBar->actions().size(), 1);
  EXPECT_EQ(menuBar->actions()[0]->menu(), bar.FetchMenu(200)->GetMacMenuH());
}

}  // namespace

// The picture without the mouse: arrow keys in the device's geometry, Return, the selection
// line, the controller's context menu and its tool tip.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QTest>
#include <QToolTip>
#include <set>

#include "MainWindowTestSupport.h"
#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "framework/ui/UScrap.h"
#include "mainwindow/HotAreaInfo.h"
#include "mainwindow/UControllerMenu.h"
#include "mainwindow/UHotAreaNavigation.h"
#include "support/RecordingListener.h"

namespace {

using kvxtest::Assign;
using kvxtest::MainWindowTest;
using kvxtest::StoredRecord;
using EDirection = UHotAreaNavigation::EDirection;

constexpr EDirection kDirections[] = {EDirection::Left, EDirection::Right, EDirection::Up,
                                      EDirection::Down};

TEST(HotAreaNavigation, StepsGoToTheNearestNeighbourAndStopAtTheEdges) {
  const struct {
    const char* name;
    long from;
    EDirection direction;
    long to;
  } rows[] = {
      {"none selected, right", -1, EDirection::Right, 0},
      {"none selected, up", -1, EDirection::Up, 0},
      {"R1 right", 0, EDirection::Right, 1},
      {"R1 left: edge", 0, EDirection::Left, 0},
      {"R1 up: edge", 0, EDirection::Up, 0},
      {"R1 down to A1", 0, EDirection::Down, 18},
      {"A1 down to B1", 18, EDirection::Down, 27},
      {"B1 down to L1", 27, EDirection::Down, 41},
      {"L1 down: edge", 41, EDirection::Down, 41},
      {"A1 up to R1", 18, EDirection::Up, 0},
      {"R9 right to S1", 8, EDirection::Right, 9},
      {"S1 left to C3", 9, EDirection::Left, 38},
      {"S9 right: edge", 17, EDirection::Right, 17},
      {"S5 down: edge", 13, EDirection::Down, 13},
      {"A9 right to H1", 26, EDirection::Right, 39},
      {"B9 right to C1", 35, EDirection::Right, 36},
      {"H1 down to C1", 39, EDirection::Down, 36},
      {"C1 down to MOD", 36, EDirection::Down, 48},
      {"MOD down to BEND", 48, EDirection::Down, 47},
      {"BEND down: edge", 47, EDirection::Down, 47},
      {"L4 right to AFT", 44, EDirection::Right, 49},
      {"AFT right to P1", 49, EDirection::Right, 45},
      {"P2 right to MOD", 46, EDirection::Right, 48},
      {"P1 up to B7", 45, EDirection::Up, 33},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(UHotAreaNavigation::Step(row.from, row.direction), row.to);
  }
}

TEST(HotAreaNavigation, EveryControllerCanBeReachedFromR1) {
  std::set<long> reached{0};
  std::vector<long> pending{0};
  while (!pending.empty()) {
    const long from = pending.back();
    pending.pop_back();
    for (EDirection direction : kDirections) {
      const long to = UHotAreaNavigation::Step(from, direction);
      ASSERT_TRUE(to >= 0 && to < kControllerCount);
      if (reached.insert(to).second) pending.push_back(to);
    }
  }
  EXPECT_EQ(reached.size(), static_cast<std::size_t>(kControllerCount));
}

// A right-click on a controller, as Qt delivers it.
void RightClick(QWidget& picture, Point local) {
  const QPoint at(local.h, local.v);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, picture.mapToGlobal(at));
  QApplication::sendEvent(&picture, &event);
}

Point CentreOf(long index) {
  const Rect& hot = kHotAreaInfo[index].hotRect;
  return Point{static_cast<std::int16_t>((hot.top + hot.bottom) / 2),
               static_cast<std::int16_t>((hot.left + hot.right) / 2)};
}

QStringList EnabledItems(const QMenu& menu) {
  QStringList enabled;
  for (const QAction* action : menu.actions())
    if (action->isEnabled()) enabled << action->text();
  return enabled;
}

TEST_F(MainWindowTest, ArrowKeysMoveTheSelectionAndTheLineUnderThePictureTellsIt) {
  Assign(patch, 0, StoredRecord(msgType_CC, 0, 0, {74, 0, 127}, "Cutoff"));
  EXPECT_EQ(window->GetSelectionText(), "No controller selected");
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    long selected;
    const char* line;
  } rows[] = {
      {Qt::Key_Down, Qt::NoModifier, 0, "R1 — Cutoff — CC 74:1"},
      {Qt::Key_Right, Qt::NoModifier, 1, "R2 — no assignment"},
      {Qt::Key_Right, Qt::ShiftModifier, 1, "R2 — no assignment"},
      {Qt::Key_Down, Qt::KeypadModifier, 19, "A2 — no assignment"},
      {Qt::Key_Up, Qt::NoModifier, 1, "R2 — no assignment"},
      {Qt::Key_Up, Qt::NoModifier, 1, "R2 — no assignment"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    QTest::keyClick(picture, static_cast<Qt::Key>(row.key), row.modifiers);
    EXPECT_EQ(picture->GetHiliteArea(), row.selected);
    EXPECT_EQ(window->GetSelectionText().toStdString(), row.line);
  }
  EXPECT_EQ(window->GetAssignDialog(), nullptr) << "arrows select, they do not open";

  // The line follows changes of the selected controller's record.
  Assign(patch, 1, StoredRecord(msgType_Note, 9, 0, {36, 100}, "Kick"));
  EXPECT_EQ(window->GetSelectionText().toStdString(), "R2 — Kick — NT 36:10");
  patch.InitAllParams();
  EXPECT_EQ(window->GetSelectionText().toStdString(), "R2 — no assignment");
}

TEST_F(MainWindowTest, ReturnOpensTheSelectedControllerAsAClickDoes) {
  CRecordingListener clicks(*picture);
  QTest::keyClick(picture, Qt::Key_Return);
  EXPECT_TRUE(clicks.IndicesOf(msg_ControllerClicked).empty()) << "nothing selected";
  QTest::keyClick(picture, Qt::Key_Right);  // R1
  QTest::keyClick(picture, Qt::Key_Right);  // R2
  QTest::keyClick(picture, Qt::Key_Return);
  QTest::keyClick(picture, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(clicks.IndicesOf(msg_ControllerClicked), (std::vector<long>{1, 1}));
  ASSERT_NE(window->GetAssignDialog(), nullptr);
  EXPECT_EQ(window->GetAssignDialog()->GetParamIndex(), 1);

  // With the dialog open the arrows take it along.
  QTest::keyClick(picture, Qt::Key_Down);
  EXPECT_EQ(window->GetAssignDialog()->GetParamIndex(), 19);
  EXPECT_EQ(picture->GetHiliteArea(), 19);
}

TEST_F(MainWindowTest, TheContextMenuSelectsAndRunsTheWindowsCommands) {
  QGuiApplication::clipboard()->clear();
  const SPatchParam cutoff = StoredRecord(msgType_CC, 0, 0, {74, 0, 127}, "Cutoff");
  Assign(patch, 5, cutoff);
  RightClick(*picture, Point{55, 30});  // a gap between R1 and R2
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_FALSE(picture->HasHiliteArea());

  RightClick(*picture, CentreOf(5));
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(picture->GetHiliteArea(), 5);
  EXPECT_EQ(window->GetSelectionText().toStdString(), "R6 — Cutoff — CC 74:1");
  QStringList items;
  for (const QAction* action : menu->actions()) items << action->text();
  EXPECT_EQ(items, (QStringList{"Edit Assignment…", "Copy", "Paste", "Delete"}));
  EXPECT_EQ(EnabledItems(*menu), (QStringList{"Edit Assignment…", "Copy", "Delete"}))
      << "nothing to paste yet";
  menu->actions().at(1)->trigger();  // Copy
  menu->close();
  EXPECT_TRUE(UScrap::HasData(CMainWindow::kPatchParamFlavor));

  // Paste onto another controller, then Delete there.
  RightClick(*picture, CentreOf(30));
  menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(EnabledItems(*menu).size(), 4);
  menu->actions().at(2)->trigger();
  menu->close();
  EXPECT_TRUE(kvxtest::SameBytes(*patch.GetParam(30), cutoff));
  EXPECT_EQ(window->GetSelectionText().toStdString(), "B4 — Cutoff — CC 74:1");

  std::unique_ptr<QMenu> direct = UControllerMenu::Make(*window, window);
  direct->actions().at(3)->trigger();
  EXPECT_EQ(patch.GetAssignMessage(30), 0);
  direct->actions().at(0)->trigger();  // Edit Assignment…
  ASSERT_NE(window->GetAssignDialog(), nullptr);
  EXPECT_EQ(window->GetAssignDialog()->GetParamIndex(), 30);

  picture->SetHiliteArea(-1);
  EXPECT_TRUE(EnabledItems(*UControllerMenu::Make(*window, window)).isEmpty());
}

TEST_F(MainWindowTest, HoveringAControllerShowsWhatItDoes) {
  Assign(patch, 47, StoredRecord(msgType_RPN, 0, 0, {1, 2, 0, 0, 127}, "Pitch"));
  const struct {
    Point at;
    const char* tip;
  } rows[] = {
      {Point{55, 30}, ""},  // first: a hidden tip keeps its text a moment
      {CentreOf(47), "BEND — Pitch — RP 0/2:1"},
      {CentreOf(0), "R1 — no assignment"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tip);
    const QPoint at(row.at.h, row.at.v);
    QHelpEvent help(QEvent::ToolTip, at, picture->mapToGlobal(at));
    QApplication::sendEvent(picture, &help);
    EXPECT_EQ(QToolTip::text().toStdString(), row.tip);
  }
}

}  // namespace

// The picture without the mouse: arrow keys in the device's geometry, Return, the selection
// line, the tool tip, the focus ring and a controller's context menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QTest>
#include <QToolTip>

#include "MainWindowTestSupport.h"
#include "dialogs/assigndialog/CMsgAssignDialog.h"
#include "mainwindow/UControllerMenu.h"
#include "mainwindow/UHotAreaNavigation.h"
#include "support/RecordingListener.h"

namespace {

using kvxtest::Assign;
using kvxtest::MainWindowTest;
using kvxtest::StoredRecord;
using EDirection = UHotAreaNavigation::EDirection;

TEST(HotAreaNavigation, StepsGoToTheNearestNeighbourAndStopAtTheEdges) {
  const struct {
    long from;
    EDirection direction;
    long to;
  } rows[] = {
      {-1, EDirection::Up, 0},     {0, EDirection::Right, 1},   {0, EDirection::Left, 0},
      {0, EDirection::Up, 0},      {0, EDirection::Down, 18},   {27, EDirection::Down, 41},
      {41, EDirection::Down, 41},  {8, EDirection::Right, 9},   {9, EDirection::Left, 38},
      {17, EDirection::Right, 17}, {13, EDirection::Down, 13},  {26, EDirection::Right, 39},
      {39, EDirection::Down, 36},  {36, EDirection::Down, 48},  {47, EDirection::Down, 47},
      {44, EDirection::Right, 49}, {46, EDirection::Right, 48}, {45, EDirection::Up, 33},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.from << " " << static_cast<int>(row.direction));
    EXPECT_EQ(UHotAreaNavigation::Step(row.from, row.direction), row.to);
  }
}

QMenu* RightClick(QWidget& picture, QPoint at) {
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, picture.mapToGlobal(at));
  QApplication::sendEvent(&picture, &event);
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList EnabledItems(const QMenu& menu) {
  QStringList enabled;
  for (const QAction* action : menu.actions())
    if (action->isEnabled()) enabled << action->text();
  return enabled;
}

TEST_F(MainWindowTest, ArrowsSelectAndTheLineAndTheTipTellWhatTheControllerDoes) {
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
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    QTest::keyClick(picture, static_cast<Qt::Key>(row.key), row.modifiers);
    EXPECT_EQ(picture->GetHiliteArea(), row.selected);
    EXPECT_EQ(window->GetSelectionText().toStdString(), row.line);
  }
  EXPECT_EQ(window->GetAssignDialog(), nullptr) << "arrows select, they do not open";
  Assign(patch, 19, StoredRecord(msgType_Note, 9, 0, {36, 100}, "Kick"));
  EXPECT_EQ(window->GetSelectionText().toStdString(), "A2 — Kick — NT 36:10");

  for (const auto& [at, tip] :
       {std::pair{QPoint(30, 55), ""}, {QPoint(70, 80), "A2 — Kick — NT 36:10"}}) {
    QHelpEvent help(QEvent::ToolTip, at, picture->mapToGlobal(at));
    QApplication::sendEvent(picture, &help);
    EXPECT_EQ(QToolTip::text().toStdString(), tip);
  }
}

TEST_F(MainWindowTest, TheFocusedPictureWearsARingAndReturnOpensAsAClickDoes) {
  const QColor before = picture->grab().toImage().pixelColor(1, 0);
  QApplication::setActiveWindow(window);
  picture->setFocus();
  Settle();
  EXPECT_NE(picture->grab().toImage().pixelColor(1, 0), before);

  CRecordingListener clicks(*picture);
  QTest::keyClick(picture, Qt::Key_Return);  // nothing selected
  picture->SetHiliteArea(1);
  QTest::keyClick(picture, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(clicks.IndicesOf(msg_ControllerClicked), (std::vector<long>{1}));
  ASSERT_NE(window->GetAssignDialog(), nullptr);
  QTest::keyClick(picture, Qt::Key_Down);
  EXPECT_EQ(window->GetAssignDialog()->GetParamIndex(), 19) << "the open dialog follows";
}

TEST_F(MainWindowTest, TheContextMenuSelectsAndRunsTheWindowsCommands) {
  QGuiApplication::clipboard()->clear();
  const SPatchParam cutoff = StoredRecord(msgType_CC, 0, 0, {74, 0, 127}, "Cutoff");
  Assign(patch, 5, cutoff);
  EXPECT_EQ(RightClick(*picture, QPoint(55, 30)), nullptr) << "a gap";
  QMenu* menu = RightClick(*picture, QPoint(215, 40));  // R6
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(window->GetSelectionText().toStdString(), "R6 — Cutoff — CC 74:1");
  EXPECT_EQ(EnabledItems(*menu), (QStringList{"Edit Assignment…", "Copy", "Delete"}));
  menu->actions().at(1)->trigger();  // Copy
  menu->close();

  menu = RightClick(*picture, QPoint(140, 110));  // B4
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(EnabledItems(*menu), (QStringList{"Edit Assignment…", "Copy", "Paste", "Delete"}));
  menu->actions().at(2)->trigger();  // Paste
  menu->close();
  EXPECT_TRUE(kvxtest::SameBytes(*patch.GetParam(30), cutoff));
  UControllerMenu::Make(*window, window)->actions().at(0)->trigger();  // Edit Assignment…
  ASSERT_NE(window->GetAssignDialog(), nullptr);
  EXPECT_EQ(window->GetAssignDialog()->GetParamIndex(), 30);
}

}  // namespace

// Panes made from layout resources: classes by class ID, pane IDs, arrangement, the order of
// FinishCreateSelf, clicks, resource lists, and damaged layouts refused without leftovers.
#include "UiTestSupport.h"

#include "framework/ui/LCheckBox.h"
#include "framework/ui/LEditText.h"
#include "framework/ui/LMultiPanelView.h"
#include "framework/ui/LPushButton.h"
#include "framework/ui/LStaticText.h"
#include "framework/ui/UReanimator.h"

#include <QApplication>
#include <QJsonDocument>
#include <QLayout>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kvxtest::CCountingWindow;
using kvxtest::CLoggingView;

class Layouts : public ::testing::Test {
 protected:
  void SetUp() override {
    CLoggingView::sLog.clear();
    window.reset(LWindow::CreateWindow(9001, nullptr));
    window->Show();
    QApplication::processEvents();
  }

  Point PortOf(LPane* pane, Point local) {
    pane->LocalToPortPoint(local);
    return local;
  }

  std::unique_ptr<LWindow> window;
};

TEST_F(Layouts, PanesAreMadeByClassIDWithTheirIDsAndProperties) {
  EXPECT_NE(dynamic_cast<CCountingWindow*>(window.get()), nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Layout Test"));
  auto* version = window->FindPaneByID<LStaticText>(FourCC("VERS"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->GetDescriptorText(), QStringLiteral("Version "));
  EXPECT_EQ(window->FindPaneByID<LPushButton>(20)->GetValueMessage(), 20);
  EXPECT_EQ(window->FindPaneByID<LPushButton>(21)->GetValueMessage(), FourCC("Bmsg"));
  EXPECT_EQ(window->FindPaneByID<LEditText>(99)->GetValue(), 12);
  EXPECT_EQ(window->FindPaneByID(4242), nullptr);
  EXPECT_THROW(window->FindPaneByID<LCheckBox>(20), LException) << "a push button is no check box";
}

TEST_F(Layouts, EveryPaneFinishesAfterAllPanesExistAndSubPanesBeforeTheirViews) {
  EXPECT_EQ(CLoggingView::sLog,
            (std::vector<std::string>{"finish 10", "finish 12", "finish 11", "finish 31"}));
}

TEST_F(Layouts, RowsGridsAndFixedFramesPlaceThePanes) {
  auto* left = window->FindPaneByID(10);
  auto* right = window->FindPaneByID(11);
  EXPECT_GE(right->x(), left->x() + left->width()) << "side by side in a row";
  EXPECT_EQ(left->y(), right->y());
  auto* a = window->FindPaneByID(20);
  auto* b = window->FindPaneByID(21);
  auto* c = window->FindPaneByID(22);
  EXPECT_GT(b->x(), a->x() + a->width());
  EXPECT_GT(c->y(), a->y());
  EXPECT_GE(c->width(), b->x() + b->width() - a->x()) << "spans the three columns";

  auto* fixed = window->FindPaneByID(31);
  EXPECT_EQ(fixed->geometry(), QRect(10, 20, 30, 15));
  Rect frame;
  fixed->CalcLocalFrameRect(frame);
  EXPECT_EQ(frame, (Rect{0, 0, 15, 30}));
  EXPECT_EQ(fixed->GetSuperView(), window->FindPaneByID(30));
  EXPECT_EQ(window->FindPaneByID(12)->GetSuperView(), right);
  EXPECT_EQ(window->FindPaneByID(30)->GetSuperView(), window.get());

  const Point port = PortOf(fixed, Point{2, 3});
  Point local = port;
  fixed->PortToLocalPoint(local);
  EXPECT_EQ(local, (Point{2, 3}));
  auto* holder = window->FindPaneByID(30);
  EXPECT_EQ(holder->FindSubPaneHitBy(port.h, port.v), fixed);
  EXPECT_EQ(window->FindDeepestSubPaneHitBy(port.h, port.v), fixed);
  const Point outside = PortOf(holder, Point{55, 90});
  EXPECT_EQ(holder->FindSubPaneHitBy(outside.h, outside.v), nullptr);
}

TEST_F(Layouts, AClickGoesThroughTheWindowToTheDeepestPaneWithItsLocalPoint) {
  auto* fixed = static_cast<CLoggingView*>(window->FindPaneByID(31));
  QTest::mouseClick(fixed, Qt::LeftButton, {}, QPoint(7, 5));
  EXPECT_EQ(static_cast<CCountingWindow*>(window.get())->clicks, 1);
  EXPECT_EQ(fixed->lastClick, (Point{5, 7}));

  fixed->Disable();
  fixed->lastClick = Point{-1, -1};
  QTest::mouseClick(fixed, Qt::LeftButton, {}, QPoint(7, 5));
  EXPECT_EQ(fixed->lastClick, (Point{-1, -1})) << "disabled panes ignore clicks";
}

TEST_F(Layouts, AResourceListLinksAListenerToTheControlsItNames) {
  kvxtest::CValueListener listener;
  UReanimator::LinkListenerToControls(&listener, window.get(), 9001);
  window->FindPaneByID<LPushButton>(21)->SimulateHotSpotClick();
  window->FindPaneByID<LCheckBox>(22)->SimulateHotSpotClick();
  EXPECT_EQ(listener.messages, (std::vector<kvxtest::CValueListener::SMessage>{
                                   {FourCC("Bmsg"), 0, nullptr}, {22, 1, nullptr}}));
  EXPECT_THROW(UReanimator::LinkListenerToControls(&listener, window.get(), 9002), LException)
      << "names a pane that is not there";
  EXPECT_THROW(UReanimator::LinkListenerToControls(&listener, window.get(), 9003), LException)
      << "names a caption, which does not broadcast";
}

TEST(DamagedLayouts, AreRefusedWithAReasonAndLeaveNothingBehind) {
  struct SRow {
    const char* name;
    ResIDT id;
    std::int32_t code;
  };
  const SRow rows[] = {
      {"unregistered class", 9101, err_ResourceData},
      {"panes that are no list", 9102, err_ResourceData},
      {"a button holding panes", 9103, err_ResourceData},
      {"a size of one number", 9104, err_ResourceData},
      {"an item that is neither pane nor layout", 9105, err_ResourceData},
      {"an unknown layout", 9106, err_ResourceData},
      {"a pop-up value past its items", 9107, err_ResourceData},
      {"a current panel that does not exist", 9108, err_ResourceData},
      {"a window layout whose root is no window", 9109, err_ResourceData},
      {"a pane that fails to finish", 9110, err_AssertFailed},
      {"a fractional pane ID", 9111, err_ResourceData},
      {"a number among the items", 9112, err_ResourceData},
      {"a picture that is not there", 9113, resNotFound},
      {"not JSON", 9114, err_ResourceData},
      {"a close box that does what no close box does", 9115, err_ResourceData},
      {"no such layout", 9999, resNotFound},
  };
  const auto windowsBefore = QApplication::topLevelWidgets().size();
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      delete LWindow::CreateWindow(row.id, nullptr);
      ADD_FAILURE() << "accepted";
    } catch (const LException& error) {
      EXPECT_EQ(error.GetErrorCode(), row.code) << error.what();
      EXPECT_NE(std::string(error.what()).find(std::to_string(row.id)), std::string::npos)
          << error.what();
    }
    kvxtest::ProcessPostedEvents();
    EXPECT_EQ(CLoggingView::sLiving, 0);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
  }
}

// Builds the window of `json` and every panel of its multi-panel views; the error, if any.
std::string BuildEverything(const char* json) {
  const QJsonObject node = QJsonDocument::fromJson(json).object();
  try {
    std::unique_ptr<LPane> root(UReanimator::CreateFromNode(node, 9990, nullptr, nullptr));
    for (LMultiPanelView* view : root->GetPanesOfClass<LMultiPanelView>()) {
      for (std::int16_t panel = 1; panel <= view->GetPanelCount(); ++panel)
        view->CreatePanel(panel);
    }
    return {};
  } catch (const LException& error) {
    return error.what();
  }
}

TEST(StrictLayouts, RefuseUnknownKeysAndClassesAndPaneIDsUsedTwiceNamingWhere) {
  struct SRow {
    const char* name;
    const char* json;
    const char* error;  // what the message ends with; empty: accepted
  };
  const SRow rows[] = {
      {"a misspelt key of a pane in a row",
       R"({"class": "wind", "panes": [{"class": "stxt"},
           {"row": [{"class": "push", "id": 4, "vlaue": 3}]}]})",
       "layout 9990: panes[1].row[0] (class 'push', pane 4): unknown key 'vlaue'"},
      {"a misspelt key of the window", R"({"class": "wind", "titel": "A", "menubar": true})",
       "layout 9990 (class 'wind'): unknown keys 'menubar', 'titel'"},
      {"a misspelt key of a nested row",
       R"({"class": "wind", "panes": [{"row": [], "strech": 1}]})",
       "layout 9990: panes[0]: unknown key 'strech'"},
      {"a grid cell's key in a column",
       R"({"class": "wind", "panes": [{"class": "stxt", "span": 2}]})",
       "panes[0] (class 'stxt'): unknown key 'span'"},
      {"a key of another class", R"({"class": "wind", "panes": [{"class": "stxt", "items": []}]})",
       "panes[0] (class 'stxt'): unknown key 'items'"},
      {"a key beside a stretch", R"({"class": "wind", "panes": [{"stretch": 1, "align": "top"}]})",
       "panes[0]: unknown key 'align'"},
      {"a class nobody registered",
       R"({"class": "wind", "layout": "grid", "panes": [[null, {"class": "Zzzz"}]]})",
       "panes[0][1] (class 'Zzzz'): no pane class is registered as 'Zzzz'"},
      {"a pane ID used twice",
       R"({"class": "wind", "panes": [{"class": "stxt", "id": 5},
           {"grid": [[{"class": "stxt", "id": 5}]]}]})",
       "panes[1].grid[0][0] (class 'stxt', pane 5): pane ID 5 is used twice (first at panes[0])"},
      {"grid keys in place",
       R"({"class": "wind", "layout": "grid", "spacing": 2, "columnStretch": [1],
           "panes": [[{"class": "stxt", "span": 1, "rowSpan": 1, "align": "left"}]]})",
       ""},
      {"panels that give their panes the same IDs",
       R"({"class": "wind", "panes": [{"class": "stxt", "id": 1}, {"class": "mpvw", "id": 2,
           "panels": [{"class": "view", "panes": [{"class": "stxt", "id": 100}]},
                      {"class": "view", "panes": [{"class": "stxt", "id": 100}]}]}]})",
       ""},
      {"a panel that takes the ID of a pane around it",
       R"({"class": "wind", "panes": [{"class": "stxt", "id": 1}, {"class": "mpvw", "id": 2,
           "panels": [{"class": "view", "panes": [{"class": "stxt", "id": 1}]}]}]})",
       "panes[1].panels[0].panes[0] (class 'stxt', pane 1): pane ID 1 is used by a pane around "
       "this layout"},
      {"a misspelt key in a panel",
       R"({"class": "wind", "panes": [{"class": "mpvw",
           "panels": [{"class": "view"}, {"class": "view", "visibel": false}]}]})",
       "layout 9990: panes[0].panels[1] (class 'view'): unknown key 'visibel'"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string error = BuildEverything(row.json);
    EXPECT_TRUE(error.ends_with(row.error)) << error;
    EXPECT_EQ(error.empty(), *row.error == '\0') << error;
  }
}

TEST(LayoutProperties, AHiddenPaneKeepsItsSpaceWhenAskedAndAnyPaneCarriesAToolTip) {
  struct SRow {
    const char* name;
    const char* keepSpace;
    bool nextPaneMoves;
  };
  const SRow rows[] = {{"the space given up", "false", true}, {"the space kept", "true", false}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const QString json = QStringLiteral(R"({"class": "wind", "panes": [
        {"class": "stxt", "id": 1, "text": "First", "keepSpace": %1, "tooltip": "Über"},
        {"class": "stxt", "id": 2, "text": "Second"}, {"stretch": 1}]})")
                             .arg(QLatin1String(row.keepSpace));
    std::unique_ptr<LPane> window(UReanimator::CreateFromNode(
        QJsonDocument::fromJson(json.toUtf8()).object(), 9990, nullptr, nullptr));
    window->show();
    QApplication::processEvents();
    LPane* first = window->FindPaneByID(1);
    LPane* second = window->FindPaneByID(2);
    EXPECT_EQ(first->toolTip(), QStringLiteral("Über"));
    const int before = second->y();
    first->Hide();
    window->layout()->activate();
    EXPECT_EQ(second->y() != before, row.nextPaneMoves) << before << " → " << second->y();
  }
}

}  // namespace

// Multi-panel views make each panel from its layout the first time it is needed, keep it, and
// show one panel at a time.
#include "UiTestSupport.h"

#include "framework/ui/LMultiPanelView.h"
#include "framework/ui/LPushButton.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

using kvxtest::CLoggingView;

class MultiPanelViews : public ::testing::Test {
 protected:
  void SetUp() override {
    CLoggingView::sLog.clear();
    window.reset(LWindow::CreateWindow(9002, nullptr));
    window->Show();
    stack = window->FindPaneByID<LMultiPanelView>(5);
    ASSERT_NE(stack, nullptr);
  }

  std::unique_ptr<LWindow> window;
  LMultiPanelView* stack = nullptr;
};

TEST_F(MultiPanelViews, PanelsAreMadeOnFirstUseOnly) {
  EXPECT_EQ(stack->GetPanelCount(), 3);
  EXPECT_EQ(stack->GetPanel(1), nullptr);
  EXPECT_EQ(stack->GetCurrentPanel(), nullptr);
  // Only view 6 showed a panel from the start: its panel 2 (layout 9003).
  EXPECT_EQ(CLoggingView::sLog, (std::vector<std::string>{"finish 51", "finish 50"}));
  CLoggingView::sLog.clear();

  LView* first = stack->CreatePanel(1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetPaneID(), 50);
  EXPECT_EQ(first->GetSuperView(), stack);
  EXPECT_EQ(CLoggingView::sLog, (std::vector<std::string>{"finish 51", "finish 50"}));
  EXPECT_EQ(stack->CreatePanel(1), first);
  EXPECT_EQ(stack->GetPanel(1), first);
  EXPECT_EQ(CLoggingView::sLog.size(), 2u) << "made once";
  EXPECT_EQ(stack->GetPanel(3), nullptr) << "the same layout serves panel 3, not made yet";
}

TEST_F(MultiPanelViews, SwitchingShowsOnePanelAndHidesTheOthers) {
  stack->SwitchToPanel(1);
  stack->SwitchToPanel(2);
  LView* second = stack->GetPanel(2);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(stack->GetCurrentPanel(), second);
  EXPECT_EQ(stack->GetCurrentPanelIndex(), 2);
  EXPECT_TRUE(second->IsVisible());
  EXPECT_FALSE(stack->GetPanel(1)->IsVisible());
  EXPECT_NE(second->FindPaneByID<LPushButton>(61), nullptr) << "an inline panel's own panes";

  stack->CreatePanel(3);
  EXPECT_FALSE(stack->GetPanel(3)->IsVisible()) << "making a panel does not show it";
  EXPECT_EQ(stack->GetCurrentPanel(), second);

  stack->SwitchToPanel(1);
  EXPECT_TRUE(stack->GetPanel(1)->IsVisible());
  EXPECT_FALSE(second->IsVisible());
}

TEST_F(MultiPanelViews, APanelNumberOutsideTheListIsRefused) {
  EXPECT_THROW(stack->CreatePanel(0), LException);
  EXPECT_THROW(stack->SwitchToPanel(4), LException);
  EXPECT_EQ(stack->GetCurrentPanel(), nullptr);
}

TEST_F(MultiPanelViews, AViewShowsItsCurrentPanelFromTheStart) {
  auto* other = window->FindPaneByID<LMultiPanelView>(6);
  EXPECT_EQ(other->GetCurrentPanelIndex(), 2);
  EXPECT_NE(other->GetCurrentPanel(), nullptr);
  EXPECT_EQ(other->GetPanel(1), nullptr);
}

}  // namespace

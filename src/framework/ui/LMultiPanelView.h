// A stack of panels, one shown at a time. Panel n (from 1) is made from the n-th entry of the
// layout's "panels" list, a layout ID or an inline pane node, the first time it is needed;
// it then lives as long as the view. "current" names a panel to show from the start.
// Each panel is a layout of its own: panels may give their panes the same IDs (each panel
// finds its own), but not the IDs of the panes around the view.
#pragma once

#include "framework/ui/LView.h"

#include <QJsonValue>

#include <map>
#include <vector>

class QStackedLayout;

class LMultiPanelView : public LView {
 public:
  static constexpr ClassIDT class_ID = FourCC("mpvw");

  explicit LMultiPanelView(const LPaneData& data);

  std::int16_t GetPanelCount() const { return static_cast<std::int16_t>(mPanelLayouts.size()); }
  // Panel n, made now if it does not exist yet. A number outside 1..count throws
  // err_AssertFailed; a panel layout that cannot be read throws as UReanimator does.
  LView* CreatePanel(std::int16_t panel);
  // Panel n if it has been made, else null.
  LView* GetPanel(std::int16_t panel) const;
  // Shows panel n (making it when needed) and hides the others.
  void SwitchToPanel(std::int16_t panel);
  // The panel shown, or null before the first switch.
  LView* GetCurrentPanel() const { return GetPanel(mCurrentPanel); }
  std::int16_t GetCurrentPanelIndex() const { return mCurrentPanel; }
  // The layouts of the panels, as numbers or pane nodes (for tools that check every layout).
  const std::vector<QJsonValue>& GetPanelLayouts() const { return mPanelLayouts; }

 protected:
  void FinishCreateSelf() override;

 private:
  std::vector<QJsonValue> mPanelLayouts;
  std::map<std::int16_t, LView*> mPanels;  // owned as Qt children
  QStackedLayout* mStack = nullptr;
  LCommander* mSuperCommander = nullptr;
  ResIDT mLayoutID = 0;
  QString mPath;  // where the view is in its layout
  std::int16_t mCurrentPanel = 0;
  std::int16_t mInitialPanel = 0;
};

#include "framework/ui/LMultiPanelView.h"

#include "framework/ui/UReanimator.h"

#include <QJsonArray>
#include <QStackedLayout>

LMultiPanelView::LMultiPanelView(const LPaneData& data)
    : LView(data),
      mSuperCommander(data.GetSuperCommander()),
      mLayoutID(data.GetLayoutID()),
      mPath(data.GetPath()) {
  const QJsonValue panels = data.Value("panels");
  if (!panels.isUndefined() && !panels.isArray())
    data.Fail(QStringLiteral("'panels' must be a list of layout IDs or pane nodes"));
  for (const QJsonValue& panel : panels.toArray()) {
    if (!panel.isDouble() && !panel.isObject())
      data.Fail(QStringLiteral("'panels' must be a list of layout IDs or pane nodes"));
    mPanelLayouts.push_back(panel);
  }
  if (data.Has("panes"))
    data.Fail(QStringLiteral("a multi-panel view holds 'panels', not 'panes'"));
  mInitialPanel = static_cast<std::int16_t>(data.GetInt("current", 0));
  if (mInitialPanel < 0 || mInitialPanel > GetPanelCount())
    data.Fail(QStringLiteral("'current' must name one of the panels"));
  mStack = new QStackedLayout(this);
  mStack->setContentsMargins(0, 0, 0, 0);
}

void LMultiPanelView::FinishCreateSelf() {
  if (mInitialPanel != 0) SwitchToPanel(mInitialPanel);
}

LView* LMultiPanelView::CreatePanel(std::int16_t panel) {
  ThrowIfNot(panel >= 1 && panel <= GetPanelCount(), "no such panel");
  if (LView* existing = GetPanel(panel)) return existing;
  const QJsonValue& source = mPanelLayouts[static_cast<std::size_t>(panel - 1)];
  const QString path = QStringLiteral("%1%2panels[%3]")
                           .arg(mPath, mPath.isEmpty() ? QString() : QStringLiteral("."))
                           .arg(panel - 1);
  LPane* root =
      source.isObject()
          ? UReanimator::CreateFromNode(source.toObject(), mLayoutID, this, mSuperCommander, path)
          : UReanimator::CreateView(static_cast<ResIDT>(source.toInt()), this, mSuperCommander);
  auto* view = dynamic_cast<LView*>(root);
  if (view == nullptr) {
    delete root;
    LException::ThrowException(err_ResourceData, "a panel must be a view");
  }
  mStack->addWidget(view);
  if (mCurrentPanel != 0) mStack->setCurrentWidget(GetPanel(mCurrentPanel));
  mPanels[panel] = view;
  return view;
}

LView* LMultiPanelView::GetPanel(std::int16_t panel) const {
  const auto found = mPanels.find(panel);
  return found != mPanels.end() ? found->second : nullptr;
}

void LMultiPanelView::SwitchToPanel(std::int16_t panel) {
  LView* view = CreatePanel(panel);
  mStack->setCurrentWidget(view);
  mCurrentPanel = panel;
}

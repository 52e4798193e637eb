#include "framework/ui/LView.h"

#include <QHBoxLayout>

LView::LView(const LPaneData& data) : LPane(data) {}

LView::LView(LView* superView, PaneIDT paneID) : LPane(superView, paneID) {}

void LView::SetContentLayout(QLayout* layout) {
  QWidget* content = GetContentWidget();
  delete content->layout();
  content->setLayout(layout);
}

std::vector<LPane*> LView::GetSubPanes() const {
  std::vector<LPane*> panes;
  for (QObject* child : const_cast<LView*>(this)->GetContentWidget()->children()) {
    auto* pane = qobject_cast<LPane*>(child);
    if (pane != nullptr && !pane->isWindow()) panes.push_back(pane);
  }
  return panes;
}

void LView::FillWith(QWidget* inner) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(inner);
  setFocusProxy(inner);
}

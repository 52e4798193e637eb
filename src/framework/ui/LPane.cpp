#include "framework/ui/LPane.h"

#include "framework/core/StValueChanger.h"
#include "framework/ui/LView.h"
#include "framework/ui/LWindow.h"
#include "framework/ui/UEventGuard.h"
#include "framework/ui/UKeyboard.h"
#include "framework/ui/UQtText.h"
#include "framework/ui/UTextTraits.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

namespace {

QPainter* sCurrentPainter = nullptr;
LPane* sCursorPane = nullptr;

QWidget* contentOf(LView* superView) {
  return superView != nullptr ? superView->GetContentWidget() : nullptr;
}

QPoint toQPoint(Point point) { return {point.h, point.v}; }

Point toPoint(QPoint point) {
  return Point{static_cast<std::int16_t>(point.y()), static_cast<std::int16_t>(point.x())};
}

QRect toQRect(const Rect& rect) {
  return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

Rect toRect(const QRect& rect) {
  return Rect{static_cast<std::int16_t>(rect.top()), static_cast<std::int16_t>(rect.left()),
              static_cast<std::int16_t>(rect.top() + rect.height()),
              static_cast<std::int16_t>(rect.left() + rect.width())};
}

// The panes nearest below `widget`: its LPane children, and those of plain Qt widgets in
// between (the frames of group boxes); other windows are not entered.
void collectSubPanes(const QWidget* widget, std::vector<LPane*>& panes) {
  for (QObject* child : widget->children()) {
    auto* childWidget = qobject_cast<QWidget*>(child);
    if (childWidget == nullptr || childWidget->isWindow()) continue;
    if (auto* pane = qobject_cast<LPane*>(childWidget)) {
      panes.push_back(pane);
    } else {
      collectSubPanes(childWidget, panes);
    }
  }
}

LPane* findByID(const QWidget* widget, PaneIDT paneID) {
  std::vector<LPane*> panes;
  collectSubPanes(widget, panes);
  for (LPane* pane : panes) {
    if (pane->GetPaneID() == paneID) return pane;
    if (LPane* found = findByID(pane, paneID)) return found;
  }
  return nullptr;
}

}  // namespace

LPane::LPane(const LPaneData& data) : QWidget(contentOf(data.GetSuperView())) {
  mPaneID = data.GetPaneID();
  if (data.Has("size")) setFixedSize(data.GetSize("size"));
  if (data.Has("minSize")) setMinimumSize(data.GetSize("minSize"));
  if (data.Has("width")) setFixedWidth(data.GetInt("width", 0));
  if (data.Has("minWidth")) setMinimumWidth(data.GetInt("minWidth", 0));
  if (data.Has("height")) setFixedHeight(data.GetInt("height", 0));
  if (data.Has("frame")) setGeometry(data.GetRect("frame"));
  if (data.Has("traits")) SetTextTraitsID(static_cast<ResIDT>(data.GetInt("traits", 0)));
  if (data.Has("tooltip")) setToolTip(data.GetString("tooltip"));
  SetKeepsSpaceWhenHidden(data.GetBool("keepSpace", false));
  if (!data.GetBool("visible", true)) setVisible(false);
  if (!data.GetBool("enabled", true)) setEnabled(false);
  setMouseTracking(true);
}

LPane::LPane(LView* superView, PaneIDT paneID) : QWidget(contentOf(superView)), mPaneID(paneID) {
  setMouseTracking(true);
}

LPane::~LPane() {
  if (sCursorPane == this) sCursorPane = nullptr;
}

void LPane::SetKeepsSpaceWhenHidden(bool keep) {
  QSizePolicy policy = sizePolicy();
  policy.setRetainSizeWhenHidden(keep);
  setSizePolicy(policy);
}

LPane* LPane::FindPaneByID(PaneIDT paneID) {
  if (paneID == 0) return nullptr;
  if (mPaneID == paneID) return this;
  return findByID(this, paneID);
}

LView* LPane::GetSuperView() const {
  if (isWindow()) return nullptr;
  for (QWidget* up = parentWidget(); up != nullptr; up = up->parentWidget()) {
    if (auto* view = dynamic_cast<LView*>(up)) return view;
    if (up->isWindow()) break;
  }
  return nullptr;
}

LWindow* LPane::GetContainerWindow() const { return LWindow::FetchWindowObject(this); }

StringPtr LPane::GetDescriptor(Str255 outText) const {
  return UQtText::ToPStr(GetDescriptorText(), outText);
}

void LPane::SetDescriptor(ConstStr255Param text) { SetDescriptorText(UQtText::FromPStr(text)); }

bool LPane::IsActive() const { return window()->isActiveWindow(); }

void LPane::RefreshRect(const Rect& localRect) { update(toQRect(localRect)); }

void LPane::InvalPortRect(const Rect& portRect) { window()->update(toQRect(portRect)); }

void LPane::InvalPortRgn(const QRegion& portRegion) { window()->update(portRegion); }

void LPane::GlobalToPortPoint(Point& point) const {
  point = toPoint(window()->mapFromGlobal(toQPoint(point)));
}

void LPane::PortToLocalPoint(Point& point) const {
  point = toPoint(mapFrom(window(), toQPoint(point)));
}

void LPane::LocalToPortPoint(Point& point) const {
  point = toPoint(mapTo(window(), toQPoint(point)));
}

bool LPane::CalcLocalFrameRect(Rect& frame) const {
  frame = toRect(QRect(QPoint(0, 0), size()));
  return true;
}

bool LPane::CalcPortFrameRect(Rect& frame) const {
  frame = toRect(QRect(mapTo(window(), QPoint(0, 0)), size()));
  return true;
}

LPane* LPane::FindSubPaneHitBy(std::int16_t horizontal, std::int16_t vertical) const {
  std::vector<LPane*> panes;
  collectSubPanes(this, panes);
  // Later siblings lie on top.
  for (auto pane = panes.rbegin(); pane != panes.rend(); ++pane) {
    if (!(*pane)->isVisibleTo(window())) continue;  // shown, even before the window is
    Rect frame;
    (*pane)->CalcPortFrameRect(frame);
    if (horizontal >= frame.left && horizontal < frame.right && vertical >= frame.top &&
        vertical < frame.bottom) {
      return *pane;
    }
  }
  return nullptr;
}

LPane* LPane::FindDeepestSubPaneHitBy(std::int16_t horizontal, std::int16_t vertical) const {
  LPane* hit = FindSubPaneHitBy(horizontal, vertical);
  if (hit == nullptr) return nullptr;
  LPane* deeper = hit->FindDeepestSubPaneHitBy(horizontal, vertical);
  return deeper != nullptr ? deeper : hit;
}

void LPane::Click(SMouseDownEvent& event) {
  if (!IsEnabled()) return;
  if (LPane* sub = FindSubPaneHitBy(event.wherePort.h, event.wherePort.v)) {
    sub->Click(event);
    return;
  }
  event.whereLocal = event.wherePort;
  PortToLocalPoint(event.whereLocal);
  ClickSelf(event);
}

QPainter* LPane::GetCurrentPainter() { return sCurrentPainter; }

LPane* LPane::GetCursorPane() { return sCursorPane; }

void LPane::SetTextTraitsID(ResIDT traitsID) { setFont(UTextTraits::GetFont(traitsID)); }

void LPane::FinishCreate() { FinishCreateSelf(); }

void LPane::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  StValueChanger<QPainter*> paneSlot(mPainter, &painter);
  StValueChanger<QPainter*> current(sCurrentPainter, &painter);
  UEventGuard::Run([this] { DrawSelf(); });
}

SMouseDownEvent LPane::MakeMouseDown(const EventRecord& event) const {
  SMouseDownEvent mouseDown;
  mouseDown.macEvent = event;
  mouseDown.wherePort = event.where;
  GlobalToPortPoint(mouseDown.wherePort);
  mouseDown.whereLocal = mouseDown.wherePort;
  PortToLocalPoint(mouseDown.whereLocal);
  return mouseDown;
}

void LPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  const EventRecord record =
      UKeyboard::MouseDownRecord(event->globalPosition().toPoint(), event->modifiers());
  UEventGuard::Run([&] {
    if (LWindow* window = GetContainerWindow()) {
      window->ClickInContent(record);
    } else {
      SMouseDownEvent mouseDown = MakeMouseDown(record);
      Click(mouseDown);
    }
  });
}

void LPane::mouseMoveEvent(QMouseEvent* event) {
  EventRecord record =
      UKeyboard::MouseDownRecord(event->globalPosition().toPoint(), event->modifiers());
  record.what = nullEvent;
  Point portPoint = record.where;
  GlobalToPortPoint(portPoint);
  UEventGuard::Run([&] {
    if (LWindow* window = GetContainerWindow()) {
      window->AdjustContentMouse(portPoint, record);
    } else {
      AdjustMouse(portPoint, record);
    }
  });
  event->accept();  // once is enough: the window has found the deepest pane already
}

void LPane::AdjustMouse(Point portPoint, const EventRecord& event) {
  LPane* previous = sCursorPane;
  sCursorPane = this;
  AdjustMouseSelf(portPoint, event);
  sCursorPane = previous;
}

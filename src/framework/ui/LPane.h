// A pane: a rectangle of a window with an ID, created from a layout or in code. Panes are
// QWidgets; the framework's view of them:
//   - local coordinates have the pane's top-left corner at (0, 0); port coordinates are those
//     of the window's content (the window's own local coordinates);
//   - DrawSelf draws the pane when Qt paints it, with GetPainter() on the pane;
//   - a mouse press goes to the window's ClickInContent, which hands it down through Click to
//     the ClickSelf of the deepest pane under it;
//   - mouse moves call AdjustMouseSelf, where UCursor and LColorCursor set the pane's cursor;
//   - FinishCreateSelf runs once all panes of its layout exist.
#pragma once

#include "framework/core/EventRecord.h"
#include "framework/core/LException.h"
#include "framework/core/MacTypes.h"
#include "framework/ui/LPaneData.h"

#include <QString>
#include <QWidget>

#include <vector>

class LView;
class LWindow;
class QPainter;
class QRegion;

// A mouse press as panes see it.
struct SMouseDownEvent {
  EventRecord macEvent;  // where: global coordinates
  Point wherePort;
  Point whereLocal;
  bool delaySelect = false;
};

class LPane : public QWidget {
  Q_OBJECT

 public:
  static constexpr ClassIDT class_ID = FourCC("pane");

  // A pane described by a layout node (ID, visibility, enabling, sizes, text traits, tool tip,
  // keeping its space when hidden).
  explicit LPane(const LPaneData& data);
  // A pane made in code, inside `superView` (null: a window of its own).
  explicit LPane(LView* superView = nullptr, PaneIDT paneID = 0);
  ~LPane() override;

  PaneIDT GetPaneID() const { return mPaneID; }
  void SetPaneID(PaneIDT paneID) { mPaneID = paneID; }

  // This pane or the first pane inside it (depth first, not in other windows) with the ID;
  // null when none has it. ID 0 names no pane.
  LPane* FindPaneByID(PaneIDT paneID);
  // The same, typed: a pane of another class with that ID throws err_AssertFailed.
  template <class T>
  T* FindPaneByID(PaneIDT paneID) {
    LPane* pane = FindPaneByID(paneID);
    if (pane == nullptr) return nullptr;
    T* typed = dynamic_cast<T*>(pane);
    ThrowIfNot(typed != nullptr, "the pane with this ID is of another class");
    return typed;
  }

  // Every pane of class T inside this one and in its window, depth first. (Only LPane itself
  // declares Q_OBJECT: look for subclasses with dynamic_cast, as this does, not qobject_cast.)
  template <class T>
  std::vector<T*> GetPanesOfClass() const {
    std::vector<T*> found;
    for (LPane* pane : findChildren<LPane*>()) {
      if (pane->window() != window()) continue;
      if (T* typed = dynamic_cast<T*>(pane)) found.push_back(typed);
    }
    return found;
  }

  LView* GetSuperView() const;
  // The framework window the pane is in (the window itself for a window), or null.
  LWindow* GetContainerWindow() const;

  // The pane's text (a button's title, a field's text, a window's title), in Mac Roman.
  StringPtr GetDescriptor(Str255 outText) const;
  void SetDescriptor(ConstStr255Param text);
  virtual QString GetDescriptorText() const { return {}; }
  virtual void SetDescriptorText(const QString& /*text*/) {}

  void Show() { setVisible(true); }
  void Hide() { setVisible(false); }
  void Enable() { setEnabled(true); }
  void Disable() { setEnabled(false); }
  // Whether the pane, hidden, keeps its place in its view's layout (the panes around it stay
  // where they are) instead of giving it up.
  void SetKeepsSpaceWhenHidden(bool keep);
  bool KeepsSpaceWhenHidden() const { return sizePolicy().retainSizeWhenHidden(); }
  // Visible on screen: shown, and all its super views and its window too.
  bool IsVisible() const { return isVisible(); }
  bool IsEnabled() const { return isEnabled(); }
  // Whether its window is the active window.
  bool IsActive() const;

  void Refresh() { update(); }
  void RefreshRect(const Rect& localRect);
  void InvalPortRect(const Rect& portRect);
  void InvalPortRgn(const QRegion& portRegion);
  // Draws the pane now, without waiting for the event loop.
  void UpdatePort() { repaint(); }

  void GlobalToPortPoint(Point& point) const;
  void PortToLocalPoint(Point& point) const;
  void LocalToPortPoint(Point& point) const;
  // {0, 0, height, width}.
  bool CalcLocalFrameRect(Rect& frame) const;
  bool CalcPortFrameRect(Rect& frame) const;

  // The frontmost pane directly inside this one that contains the port point; null if none.
  LPane* FindSubPaneHitBy(std::int16_t horizontal, std::int16_t vertical) const;
  // The deepest pane inside this one that contains the port point; null if none.
  LPane* FindDeepestSubPaneHitBy(std::int16_t horizontal, std::int16_t vertical) const;

  // Hands the click to the sub-pane under it, or to ClickSelf. Disabled panes ignore it.
  virtual void Click(SMouseDownEvent& event);

  // The painter of the paint in progress (only inside DrawSelf), for this pane or any.
  QPainter* GetPainter() const { return mPainter; }
  static QPainter* GetCurrentPainter();
  // The pane whose cursor UCursor sets (inside AdjustMouseSelf).
  static LPane* GetCursorPane();

  void SetTextTraitsID(ResIDT traitsID);

  // Runs FinishCreateSelf (the layout reader calls it once the layout's panes all exist).
  void FinishCreate();

 protected:
  virtual void FinishCreateSelf() {}
  virtual void DrawSelf() {}
  virtual void ClickSelf(const SMouseDownEvent& /*event*/) {}
  virtual void AdjustMouseSelf(Point /*portPoint*/, const EventRecord& /*event*/) {}

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  friend class LWindow;
  void AdjustMouse(Point portPoint, const EventRecord& event);
  SMouseDownEvent MakeMouseDown(const EventRecord& event) const;

  PaneIDT mPaneID = 0;
  QPainter* mPainter = nullptr;
};

// Creates panes from layout resources (":/layouts/<ID>.json") and links listeners to the
// controls named by resource lists (":/layouts/lists/<ID>.json").
//
// A layout is a tree of pane nodes. A pane node names its class ("class": "push", created
// through URegistrar) and its properties ("id", "text", "value", "min", "max", "message",
// "items", "visible", "enabled", "size", "minSize", "width", "minWidth", "height", "traits",
// "tooltip", "keepSpace", and those of its class). Any pane takes:
//   "tooltip": the text shown when the mouse rests on it (layouts are UTF-8, as all text in
//       them);
//   "keepSpace": true, to keep its place in the layout while it is hidden, so that showing
//       and hiding it (as a panel adapts to a choice) does not move the panes around it.
// A view node holds its sub-panes in "panes", arranged by "layout":
//   "column" (the default) or "row": the items one after another; an item is a pane node, a
//       nested {"row": [...]} / {"column": [...]} / {"grid": [[...], ...]}, {"stretch": n} or
//       {"space": pixels};
//   "grid": "panes" is a list of rows, each a list of cells (null for an empty cell); a cell
//       may span columns ("span") and rows ("rowSpan");
//   "fixed": each sub-pane sits at its "frame": [left, top, width, height].
// Items in rows and columns take "stretch" and "align" ("left|top", "center", ...); layouts
// take "spacing" and "margins" (n or [left, top, right, bottom]); grids "columnStretch" and
// "rowStretch" lists. Windows and frames keep the style's margins, other views have none.
//
// Layouts are read strictly (err_ResourceData naming the layout, the node's place in it, such
// as "panes[3].row[1]", and its class and pane ID): a key that neither the pane's class nor
// the reader knows, a class ID nobody registered, and a pane ID (other than 0) given twice in
// one layout. A panel of a multi-panel view is a layout of its own: panels may repeat each
// other's IDs, but not those of the panes around the view.
//
// Once every pane of the layout exists, each gets FinishCreateSelf, sub-panes before the views
// that hold them. Any failure deletes what was made and throws (resNotFound for a missing
// layout, err_ResourceData for a damaged one, or what a pane threw).
#pragma once

#include "framework/core/LException.h"
#include "framework/core/MacTypes.h"

#include <QJsonObject>
#include <QString>

class LCommander;
class LListener;
class LPane;
class LView;

class UReanimator {
 public:
  static LPane* CreateView(ResIDT layoutID, LView* superView, LCommander* superCommander);
  // The same, requiring the root pane to be a T (otherwise err_ResourceData).
  template <class T>
  static T* CreateView(ResIDT layoutID, LView* superView, LCommander* superCommander) {
    return CheckedRoot<T>(CreateView(layoutID, superView, superCommander), layoutID);
  }

  // Creates the panes of `node`, a pane node of layout `layoutID` found at `path` in it
  // (for messages: "panes[2].panels[1]").
  static LPane* CreateFromNode(const QJsonObject& node, ResIDT layoutID, LView* superView,
                               LCommander* superCommander, const QString& path = {});

  // Makes `listener` a listener of every pane that list `listID` names inside `view`. A named
  // pane that is missing or does not broadcast throws err_ResourceData.
  static void LinkListenerToControls(LListener* listener, LView* view, ResIDT listID);

 private:
  template <class T>
  static T* CheckedRoot(LPane* root, ResIDT layoutID) {
    if (T* typed = dynamic_cast<T*>(root)) return typed;
    DeleteWrongRoot(root, layoutID);
  }
  [[noreturn]] static void DeleteWrongRoot(LPane* root, ResIDT layoutID);
};

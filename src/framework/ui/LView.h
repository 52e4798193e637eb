// A pane that holds other panes. A layout arranges a view's sub-panes with a Qt layout manager
// (rows, columns, grids) or at fixed frames; see UReanimator.
#pragma once

#include "framework/ui/LPane.h"

#include <vector>

class QLayout;

class LView : public LPane {
 public:
  static constexpr ClassIDT class_ID = FourCC("view");

  explicit LView(const LPaneData& data);
  explicit LView(LView* superView = nullptr, PaneIDT paneID = 0);

  // The widget that sub-panes are put in (the view itself, or the inside of a frame).
  virtual QWidget* GetContentWidget() { return this; }
  // Whether layouts may put panes inside it (controls hold none, except frames).
  virtual bool AcceptsSubPanes() const { return true; }
  // Arranges the sub-panes with `layout` (taken over).
  virtual void SetContentLayout(QLayout* layout);

  // The panes directly inside this view, back to front.
  std::vector<LPane*> GetSubPanes() const;

 protected:
  // Makes `inner` (a Qt widget of the pane's own) fill the pane and take its focus.
  void FillWith(QWidget* inner);
};

// A frame whose title is a pop-up menu, holding panes. The value is the chosen item, as for a
// pop-up button; the panes go inside the frame, below the pop-up.
#pragma once

#include "framework/ui/LPopupButton.h"

class QGroupBox;

class LPopupGroupBox : public LPopupButton {
 public:
  static constexpr ClassIDT class_ID = FourCC("pgbx");

  explicit LPopupGroupBox(const LPaneData& data);

  QWidget* GetContentWidget() override { return mContent; }
  bool AcceptsSubPanes() const override { return true; }

 private:
  QGroupBox* mFrame = nullptr;
  QWidget* mContent = nullptr;
};

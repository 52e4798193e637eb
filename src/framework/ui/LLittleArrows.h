// Little arrows: an up and a down button that step the value by one within the range (held
// down, they repeat).
#pragma once

#include "framework/ui/LControl.h"

class QToolButton;

class LLittleArrows : public LControl {
 public:
  static constexpr ClassIDT class_ID = FourCC("larr");

  explicit LLittleArrows(const LPaneData& data);
  LLittleArrows(LView* superView, PaneIDT paneID, MessageT valueMessage, std::int32_t value,
                std::int32_t minValue, std::int32_t maxValue);

  QToolButton* GetUpButton() const { return mUp; }
  QToolButton* GetDownButton() const { return mDown; }

 private:
  void Build();

  QToolButton* mUp = nullptr;
  QToolButton* mDown = nullptr;
};

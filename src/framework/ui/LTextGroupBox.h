// A frame with a title, holding panes.
#pragma once

#include "framework/ui/LView.h"

class QGroupBox;

class LTextGroupBox : public LView {
 public:
  static constexpr ClassIDT class_ID = FourCC("tgbx");

  // Reads "text", the title.
  explicit LTextGroupBox(const LPaneData& data);

  QWidget* GetContentWidget() override;
  QString GetDescriptorText() const override;
  void SetDescriptorText(const QString& text) override;

 private:
  QGroupBox* mFrame = nullptr;
};

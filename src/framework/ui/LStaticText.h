// A caption: text that the user reads but does not edit.
#pragma once

#include "framework/ui/LView.h"

class QLabel;

class LStaticText : public LView {
 public:
  static constexpr ClassIDT class_ID = FourCC("stxt");

  // Reads "text", "wrap" (break long lines) and "textAlign" ("left", "center", "right").
  explicit LStaticText(const LPaneData& data);
  LStaticText(LView* superView, PaneIDT paneID, const QString& text);

  QString GetDescriptorText() const override;
  void SetDescriptorText(const QString& text) override;
  QLabel* GetLabel() const { return mLabel; }

 private:
  void Build(const QString& text);

  QLabel* mLabel = nullptr;
};

// A check box: value 1 when checked, 0 when not.
#pragma once

#include "framework/ui/LControl.h"

class QCheckBox;

class LCheckBox : public LControl {
 public:
  static constexpr ClassIDT class_ID = FourCC("cbox");

  // Reads "text"; the range is always 0..1.
  explicit LCheckBox(const LPaneData& data);
  LCheckBox(LView* superView, PaneIDT paneID, MessageT valueMessage, const QString& title);

  void SimulateHotSpotClick() override;
  QString GetDescriptorText() const override;
  void SetDescriptorText(const QString& text) override;
  QCheckBox* GetCheckBox() const { return mCheckBox; }

 protected:
  void ValueChanged() override;

 private:
  void Build(const QString& title);

  QCheckBox* mCheckBox = nullptr;
};

// A push button: a click broadcasts its value message. In a dialog the default button (by
// default the one whose message is 900, OK) answers Return and Enter, the cancel button (901)
// Escape and Ctrl-period.
#pragma once

#include "framework/ui/LControl.h"

class QPushButton;

class LPushButton : public LControl {
 public:
  static constexpr ClassIDT class_ID = FourCC("push");

  // Reads "text", "default" and "cancel".
  explicit LPushButton(const LPaneData& data);
  LPushButton(LView* superView, PaneIDT paneID, MessageT valueMessage, const QString& title);

  bool IsDefaultButton() const { return mIsDefault; }
  void SetDefaultButton(bool isDefault);
  bool IsCancelButton() const { return mIsCancel; }
  void SetCancelButton(bool isCancel) { mIsCancel = isCancel; }

  void SimulateHotSpotClick() override;

  QString GetDescriptorText() const override;
  void SetDescriptorText(const QString& text) override;
  QPushButton* GetButton() const { return mButton; }

 private:
  void Build(const QString& title);

  QPushButton* mButton = nullptr;
  bool mIsDefault = false;
  bool mIsCancel = false;
};

// The settings panel of the buttons (class 'Butn'): the port settings, the button mode
// (pop-up 304, bits 0-1 of the options, shown 1-based; its third item, "Increase", exists only
// for message types other than Note) and the aftertouch setting of a pad that plays a note
// (pop-up 305, payload byte 2). The mode pop-up is shown on the buttons that have a mode
// (A1..C3, L1..P1) and disabled for message types without one; the AFT pop-up is shown for
// notes on the pads A1..B9 and written only while shown.
#pragma once

#include "dialogs/assigndialog/CPortSettingPanel.h"

class LPopupButton;

class CButtonSettingPanel : public CPortSettingPanel {
 public:
  static constexpr ClassIDT class_ID = FourCC("Butn");
  static constexpr PaneIDT kModePopup = 304;
  static constexpr PaneIDT kAftPopup = 305;
  static constexpr std::int16_t kIncreaseItem = 3;

  explicit CButtonSettingPanel(const LPaneData& data);

  void SetPanelParam(const SPatchParam* record) override;
  bool GetPanelParam(SPatchParam& out) override;
  void InitPanelParam() override;
  void HandleParamChanged(MessageT message, const void* param) override;

  // Message types without a button mode.
  static bool IsModeless(long msgType);
  // Buttons with a mode: A1..C3, L1..L4, P1.
  static bool HasButtonMode(long index);
  // Pads: A1..B9.
  static bool IsPad(long index);

 private:
  // Offers "Increase" for every type but Note. With `keepChoice` (a record being shown) a
  // chosen "Increase" stays, item and all, so that the stored mode survives an apply; a note
  // chosen by hand falls back to mode 1.
  void AdaptModeItems(long msgType, bool keepChoice);
  void AdaptAftPopup(long msgType);
};

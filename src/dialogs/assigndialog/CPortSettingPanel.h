// The settings panel of the continuous controllers (class 'Port'): the output port (pop-up
// 300: port 1, port 2, both) and the "C.Click" option (check box 301, bit 2 of the options).
// The port pop-up is disabled for message types that send on no port; the check box is shown
// only on the knobs and sliders R1..S9 and for the message types that can use it (hidden, it
// still holds and writes its state). It writes only outputPort and options.
#pragma once

#include "dialogs/assigndialog/CBasePanel.h"

class CPortSettingPanel : public CBasePanel {
 public:
  static constexpr ClassIDT class_ID = FourCC("Port");
  static constexpr PaneIDT kPortPopup = 300;
  static constexpr PaneIDT kCClickBox = 301;

  explicit CPortSettingPanel(const LPaneData& data);

  void SetParamIndex(long index) override { mParamIndex = static_cast<std::int32_t>(index); }
  long GetParamIndex() const { return mParamIndex; }
  void SetPanelParam(const SPatchParam* record) override;
  bool GetPanelParam(SPatchParam& out) override;
  void InitPanelParam() override;
  // 'Amsg' with a pointer to the message type now chosen: adapts the enabling and visibility.
  void HandleParamChanged(MessageT message, const void* param) override;

  // Message types that send on no output port.
  static bool IsPortless(long msgType);
  // Message types that can use "C.Click".
  static bool UsesCClick(long msgType);

 protected:
  // The controls' enabling and visibility for `msgType`; their values are left alone.
  void AdaptPortControls(long msgType);

 private:
  std::int32_t mParamIndex = -1;
};

// Message panels 3 and 6 of the assign dialog.
//   - CSystemRealtimePanel ('Scmn'): a single-byte system message chosen from a pop-up (pane
//     100) whose items' texts begin with the two hex digits of their status byte ("F6 Tune
//     Request"); it writes that byte into data[0] and no channel. A byte that no item carries
//     leaves the pop-up on its choice; InitPanelParam chooses F6.
//   - CTempoPanel ('Tmpo'): the tempo function, without parameters.
#pragma once

#include "dialogs/assigndialog/CAssignPanel.h"

class LPopupButton;

class CSystemRealtimePanel : public CAssignPanel {
 public:
  static constexpr ClassIDT class_ID = FourCC("Scmn");
  static constexpr PaneIDT kMessagePopup = 100;
  static constexpr std::uint8_t kDefaultStatus = 0xF6;

  explicit CSystemRealtimePanel(const LPaneData& data);

  long GetMsgType() const override { return msgType_Realtime; }
  void SetPanelParam(const SPatchParam* record) override;
  bool GetPanelParam(SPatchParam& out) override;
  void InitPanelParam() override;

 private:
  // Chooses the first item for `status`; false (choice unchanged) when none has it.
  bool SelectStatus(std::uint8_t status);
  static std::uint8_t StatusOf(const LPopupButton& popup, std::int16_t item);
};

class CTempoPanel : public CAssignPanel {
 public:
  static constexpr ClassIDT class_ID = FourCC("Tmpo");
  explicit CTempoPanel(const LPaneData& data);
  long GetMsgType() const override { return msgType_Tempo; }
};

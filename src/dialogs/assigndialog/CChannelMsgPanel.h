// Message panel 2 of the assign dialog (class 'Chnl'): the channel messages. A kind pop-up
// (pane 101, 'Stat') chooses one of thirteen sub-panels in a stack (pane 100): 1 note, 2
// channel pressure, 3 polyphonic pressure, 4 control change, 5 fixed program, 6 program from
// the controller, 7 fixed bank and program, 8 program decrement, 9 program increment, 10 RPN,
// 11 NRPN, 12 encoder, 13 a record only the device makes (bank select with a program range),
// kept as it is. The panel hands the dialog's calls to the sub-panel shown, and tells the
// settings panel when the user picks another kind.
#pragma once

#include "dialogs/assigndialog/CAssignPanel.h"
#include "framework/core/LListener.h"

class LMultiPanelView;

class CChannelMsgPanel : public CAssignPanel, public LListener {
 public:
  static constexpr ClassIDT class_ID = FourCC("Chnl");
  static constexpr PaneIDT kSubPanels = 100;
  static constexpr PaneIDT kKindPopup = 101;
  static constexpr std::int16_t kKeptRecordPanel = 13;

  explicit CChannelMsgPanel(const LPaneData& data);

  long GetMsgType() const override;
  void SetPanelParam(const SPatchParam* record) override;
  bool GetPanelParam(SPatchParam& out) override;
  // Resets the sub-panel shown; the kind pop-up keeps its choice.
  void InitPanelParam() override;
  void ListenToMessage(MessageT message, void* param) override;

  // The sub-panel that shows a record.
  static std::int16_t SubPanelOf(const SPatchParam& record);

 protected:
  void FinishCreateSelf() override;

 private:
  CBasePanel* CurrentSubPanel() const;
  CBasePanel* MakeSubPanel(std::int16_t subPanel);
  void SwitchSubPanel(std::int16_t subPanel);

  LMultiPanelView* mChannelMsgView = nullptr;  // pane 100; the view owns the sub-panels
};

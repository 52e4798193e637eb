// The assign dialog (class 'Mdlg', layout 2000): edits one controller's assignment on a
// working copy of its record. The main window owns it, gives it the patch and re-targets it
// at whichever controller the user opens; only an apply (OK, Ctrl-W, or the main window before
// it switches controllers or sends the patch) writes the copy back with CPatch::SetParam.
//
// Its body is two stacks of panels: the message panels (pane 5: 1 none, 2 channel messages,
// 3 system realtime, 4 SysEx, 5 free message, 6 tempo), chosen by the message-kind pop-up
// (pane 4) or by the record's message type, and the settings panels (pane 7), chosen by the
// controller's type (2 and 3 continuous, 4 button). Pane 3 shows the controller's descriptor,
// pane 8 the parameter name.
//
// It listens to the patch: a controller loaded ('Plod') or received ('Prcv') replaces the
// copy when it is the edited one, 'Init' always does; its own apply ('Pchg') is not acted on.
// Main thread only.
#pragma once

#include "document/SPatchParam.h"
#include "framework/ui/LDialogBox.h"

class CAssignPanel;
class CBasePanel;
class CPatch;
class LMultiPanelView;

class CMsgAssignDialog : public LDialogBox {
 public:
  static constexpr ClassIDT class_ID = FourCC("Mdlg");
  static constexpr ResIDT kLayoutID = 2000;
  static constexpr PaneIDT kDescriptorPane = 3;
  static constexpr PaneIDT kMessageKindPopup = 4;
  static constexpr PaneIDT kMessagePanels = 5;
  static constexpr PaneIDT kSettingsPanels = 7;
  static constexpr PaneIDT kNameField = 8;

  // Message panels of pane 5.
  enum EMessagePanel : std::int16_t {
    panel_NoAssign = 1,
    panel_Channel,
    panel_Realtime,
    panel_Sysx,
    panel_Free,
    panel_Tempo,
  };

  explicit CMsgAssignDialog(const LPaneData& data);
  ~CMsgAssignDialog() override;

  // Throws err_AssertFailed for null. The dialog listens to the patch.
  void SetPatch(CPatch* patch);
  CPatch* GetPatch() const { return mPatch; }
  // Shows the patch's record of controller `index` (0..49).
  void SetParamIndex(long index);
  long GetParamIndex() const { return mParamIndex; }
  // The controller's type (2, 3 continuous, 4 button), 1 without a patch.
  long GetControllerType() const;

  // Shows `record` as the working copy; the patch is not changed.
  void SetDialogParam(const SPatchParam* record);
  // Reloads the working copy from the patch, dropping unapplied edits.
  void UpdateDialogParam();
  // Collects the record as the user has edited it; false when a panel refuses it (it has
  // told the user why).
  bool GetDialogParam(SPatchParam& out);
  // Collects the record and stores it in the patch; false (nothing stored) when refused.
  bool ApplyDialogParam();

  // Selects and fills the message panel of `msgType`.
  void SetAssignMessageType(long msgType, const SPatchParam* record);
  CAssignPanel* GetAssignMsgPanel() const;
  // The settings panel shown, or null.
  CBasePanel* GetSettingsPanel() const;

  // The message panel that shows records of `msgType`.
  static std::int16_t MessagePanelOf(long msgType);

  bool HandleKeyPress(const EventRecord& event) override;
  bool KeepsMenuKey(const EventRecord& event) const override;
  void ListenToMessage(MessageT message, void* param) override;

 protected:
  void FinishCreateSelf() override;

 private:
  // Shows mDialogParam-like `record` on the settings and message panels and in panes 3 and 8.
  void ShowRecord(const SPatchParam& record, bool newController);
  void SwitchMessagePanel(std::int16_t panel);
  void ShowTitle(const SPatchParam& record);

  CPatch* mPatch = nullptr;  // the main window's, not owned
  SPatchParam mDialogParam{};
  long mParamIndex = -1;
  LMultiPanelView* mAssignMsgView = nullptr;  // pane 5
  LMultiPanelView* mSettingsView = nullptr;   // pane 7
};

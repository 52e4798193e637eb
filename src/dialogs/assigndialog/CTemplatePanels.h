// Message panels 4 and 5 of the assign dialog: a message typed as hexadecimal text with
// placeholders for the controller's value ("DT"), the channel ("1N", "3X") and, in SysEx, a
// checksum ("SS" before the first covered byte, "S1"/"S2" at the checksum byte).
//   - CSysxPanel ('Sysx'): a SysEx template, F0 .. F7 (message type 20).
//   - CFreeMsgPanel ('Free'): any sequence of MIDI messages (message type 22).
// Panes (the same in both): 100 the text, 101 the data format 1..5 ('Dtyp'; it sets the range
// of the two value controls: 0..15 for "d1 d2", 0..255 for "d1 d2 d3 d4", else 0..127), 103 the
// lowest and 105 the highest value sent. Collecting compiles the text; a text that does not
// compile or does not form complete MIDI messages is refused: the focus goes to the text, the
// dialog comes to the front, alert 2 tells the user, and the text stays as typed.
#pragma once

#include "dialogs/assigndialog/CAssignPanel.h"
#include "framework/core/LListener.h"
#include "utilities/SPrmPatCtrlSysEx.h"

class CTemplatePanel : public CAssignPanel, public LListener {
 public:
  static constexpr PaneIDT kTextField = 100;
  static constexpr PaneIDT kFormatPopup = 101;
  static constexpr PaneIDT kMinControl = 103;
  static constexpr PaneIDT kMaxControl = 105;

  explicit CTemplatePanel(const LPaneData& data);

  void SetPanelParam(const SPatchParam* record) override;
  bool GetPanelParam(SPatchParam& out) override;
  void InitPanelParam() override;
  // 'Dtyp': sets the value controls' range for the new format.
  void ListenToMessage(MessageT message, void* param) override;

  // The highest value format `dataType` can send.
  static std::int32_t MaxValueOf(std::int32_t dataType);

 protected:
  void FinishCreateSelf() override;

  // Compiles `text` into the payload of `out`; the message length, or 0 or less when refused.
  // `message` then points to the compiled bytes in `out`.
  virtual short CompileText(ConstStr255Param text, SPatchParam& out,
                            const std::uint8_t*& message) = 0;
  // The edit form of the payload of `record`.
  virtual void PrintText(const SPatchParam& record, Str255 out) const = 0;
  virtual const char* InitialText() const = 0;

 private:
  void Refuse();
};

// The conversions between the text and a payload of type TPayload, over a template panel.
template <class TPayload>
class TTemplatePanel : public CTemplatePanel {
 public:
  using CTemplatePanel::CTemplatePanel;

 protected:
  virtual short Compile(ConstStr255Param text, TPayload& out) = 0;
  virtual void Print(const TPayload& payload, Str255 out) const = 0;

  short CompileText(ConstStr255Param text, SPatchParam& out,
                    const std::uint8_t*& message) override;
  void PrintText(const SPatchParam& record, Str255 out) const override;
};

class CSysxPanel : public TTemplatePanel<SPrmPatCtrlSysEx> {
 public:
  static constexpr ClassIDT class_ID = FourCC("Sysx");
  explicit CSysxPanel(const LPaneData& data);
  long GetMsgType() const override { return msgType_Sysx; }

  virtual short CompileSysxStr(ConstStr255Param text, SPrmPatCtrlSysEx& out);
  static void MakeSysxStr(const SPrmPatCtrlSysEx& payload, Str255 out, bool listForm);

 protected:
  short Compile(ConstStr255Param text, SPrmPatCtrlSysEx& out) override {
    return CompileSysxStr(text, out);
  }
  void Print(const SPrmPatCtrlSysEx& payload, Str255 out) const override {
    MakeSysxStr(payload, out, false);
  }
  const char* InitialText() const override { return "F0 F7"; }
};

class CFreeMsgPanel : public TTemplatePanel<SPrmPatCtrlSysExFree> {
 public:
  static constexpr ClassIDT class_ID = FourCC("Free");
  explicit CFreeMsgPanel(const LPaneData& data);
  long GetMsgType() const override { return msgType_Free; }

  virtual short CompileMsgStr(ConstStr255Param text, SPrmPatCtrlSysExFree& out);
  static void MakeMsgStr(const SPrmPatCtrlSysExFree& payload, Str255 out, bool listForm);

 protected:
  short Compile(ConstStr255Param text, SPrmPatCtrlSysExFree& out) override {
    return CompileMsgStr(text, out);
  }
  void Print(const SPrmPatCtrlSysExFree& payload, Str255 out) const override {
    MakeMsgStr(payload, out, false);
  }
  const char* InitialText() const override { return ""; }
};

// The sub-panels of the channel-message panel. Each maps a few value controls (even pane IDs
// 200, 202, ...; each shown in a spin field linked to it) onto the record's channel and
// payload bytes, and knows its own defaults. Pane 200 is the MIDI channel, shown 1..16;
// program numbers are shown one higher than stored (1..128); other values as stored.
//
// | class (ID)                     | produces      | 200 | 202      | 204      | 206      | 208  |
// | CNotePanel ('Note')            | 1 Note        | ch  | d0 note  | d1 vel.  |          |      |
// | CChannelPressurePanel ('Cprs') | 3 CAf         | ch  | d0 low   | d1 high  |          |      |
// | CPolyPressurePanel ('Pprs')    | 5 PAf         | ch  | d0 note  | d1 low   | d2 high  |      |
// | CCCPanel ('Cchg')              | 7 CC          | ch  | d0 ctrl  | d1 low   | d2 high  |      |
// | CFixedPCPanel ('Fxdp')         | 12 FixedPC    | ch  | d0 prog  |          |          |      |
// | CPCPanel ('Pchg')              | 10 PC         | ch  | d0 prog  | d1 prog  |          |      |
// | CFixedBankPCPanel ('Bkpc')     | 13 FixedBankPC| ch  | d1 MSB   | d0 LSB   | d2 prog  |      |
// | CDecPCPanel ('Decp')           | 14, d0 = 1    |     |          |          |          |      |
// | CIncPCPanel ('Incp')           | 14, d0 = 0    |     |          |          |          |      |
// | CRPNPanel ('Rpnp'), d0 = 1     | 15 RPN        | ch  | d2 MSB   | d1 LSB   | d3 low   | d4 high |
// | CNRPNPanel ('Nrpn'), d0 = 0    | 17 NRPN       | ch  | d2 MSB   | d1 LSB   | d3 low   | d4 high |
// | CEncoderSimulatePanel ('Encs') | 9 Enc         | ch  | d0 ctrl  |          |          |      |
//
// The MSB comes first on screen but after the LSB in the record (bank and RPN panels). The
// program-step panels have no controls and keep the record's channel. The note panel shows a
// velocity of 0 as "Touch". None refuses a record.
#pragma once

#include "dialogs/assigndialog/CAssignPanel.h"
#include "framework/core/LListener.h"

#include <cstdint>
#include <span>

// A sub-panel of channel values, described by a table.
class CChannelValuePanel : public CAssignPanel {
 public:
  static constexpr int kChannelByte = -1;

  // One value: control `pane` holds payload byte `byte` (kChannelByte: the channel), shown
  // `offset` higher than stored; InitPanelParam shows `shownDefault`.
  struct SValue {
    PaneIDT pane;
    int byte;
    std::int32_t offset;
    std::int32_t shownDefault;
  };
  struct SLayout {
    std::uint8_t msgType;
    std::span<const SValue> values;
    int fixedData0 = -1;  // a payload byte 0 the panel always writes, or -1
  };

  CChannelValuePanel(const LPaneData& data, const SLayout& layout);

  long GetMsgType() const override { return mLayout.msgType; }
  void SetPanelParam(const SPatchParam* record) override;
  bool GetPanelParam(SPatchParam& out) override;
  void InitPanelParam() override;

 private:
  const SLayout& mLayout;
};

class CNotePanel : public CChannelValuePanel, public LListener {
 public:
  static constexpr ClassIDT class_ID = FourCC("Note");
  static constexpr PaneIDT kVelocityField = 203;
  static constexpr PaneIDT kVelocityControl = 204;
  explicit CNotePanel(const LPaneData& data);
  // The "Touch" rule: a velocity field reading "0" shows "Touch" instead.
  void ListenToMessage(MessageT message, void* param) override;

 protected:
  void FinishCreateSelf() override;
};

// The panels that differ only in their table.
#define KVX_CHANNEL_VALUE_PANEL(Class, ID)                         \
  class Class : public CChannelValuePanel {                        \
   public:                                                         \
    static constexpr ClassIDT class_ID = FourCC(ID);               \
    explicit Class(const LPaneData& data);                         \
  }

KVX_CHANNEL_VALUE_PANEL(CChannelPressurePanel, "Cprs");
KVX_CHANNEL_VALUE_PANEL(CPolyPressurePanel, "Pprs");
KVX_CHANNEL_VALUE_PANEL(CCCPanel, "Cchg");
KVX_CHANNEL_VALUE_PANEL(CFixedPCPanel, "Fxdp");
KVX_CHANNEL_VALUE_PANEL(CPCPanel, "Pchg");
KVX_CHANNEL_VALUE_PANEL(CFixedBankPCPanel, "Bkpc");
KVX_CHANNEL_VALUE_PANEL(CDecPCPanel, "Decp");
KVX_CHANNEL_VALUE_PANEL(CIncPCPanel, "Incp");
KVX_CHANNEL_VALUE_PANEL(CRPNPanel, "Rpnp");
KVX_CHANNEL_VALUE_PANEL(CNRPNPanel, "Nrpn");
KVX_CHANNEL_VALUE_PANEL(CEncoderSimulatePanel, "Encs");

#undef KVX_CHANNEL_VALUE_PANEL

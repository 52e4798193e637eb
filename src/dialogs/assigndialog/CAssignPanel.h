// The base of the message panels, and itself the panel of "no assignment": it produces the
// message type GetMsgType() returns (0, NoAssign, here) and owns no other field. Message
// panels that override GetPanelParam write msgType themselves. Created as class 'Asgn'.
#pragma once

#include "dialogs/assigndialog/CBasePanel.h"

class CAssignPanel : public CBasePanel {
 public:
  static constexpr ClassIDT class_ID = FourCC("Asgn");

  explicit CAssignPanel(const LPaneData& data);

  // Sets the record's msgType to GetMsgType() and touches nothing else.
  bool GetPanelParam(SPatchParam& out) override;
  // The message type this panel produces (the first code of an alternate pair).
  virtual long GetMsgType() const;
};

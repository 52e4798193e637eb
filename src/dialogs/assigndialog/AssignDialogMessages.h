// The broadcast messages inside the assign dialog, with what their parameters point to.
#pragma once

#include "framework/core/TMessage.h"

class LEditText;

// The message-kind pop-up (pane 4) broadcasts the chosen panel number; the dialog and the
// channel-message panel send the same code to the settings panel with the message type the
// new panel produces.
constexpr TControlMessage msg_AssignMsgKind{"Amsg"};
// The channel-message kind pop-up: the chosen sub-panel number.
constexpr TControlMessage msg_ChannelMsgKind{"Stat"};
// The data-format pop-up of the template panels: the chosen format 1..5.
constexpr TControlMessage msg_DataFormat{"Dtyp"};
// The note panel's velocity: the value control's value message and the linked field's.
constexpr TControlMessage msg_VelocityValue{"Velv"};
constexpr TMessage<LEditText> msg_VelocityText{"Spin"};

// The commands and broadcast messages of the main window and its panes.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"
#include "framework/core/TMessage.h"
#include "support/CPatchCmdEditField.h"

constexpr CommandT cmd_ShowCaptions = static_cast<CommandT>(FourCC("Smsg"));
constexpr CommandT cmd_RequestPatch = static_cast<CommandT>(FourCC("Reqt"));
constexpr CommandT cmd_SendPatch = static_cast<CommandT>(FourCC("Send"));
// Open a dropped file; param: the file. The application carries it out.
constexpr TMessage<FSSpec> cmd_OpenDroppedFile{"Drop"};

// The picture's click on a controller; param: the controller index.
constexpr TMessage<const std::int32_t> msg_ControllerClicked{"Cchg"};
// The title field changed; param: the field.
constexpr TEditTextMessage msg_TitleChanged{"Tchg"};

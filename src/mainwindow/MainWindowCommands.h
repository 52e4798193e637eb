// The commands and broadcast messages of the main window and its panes.
#pragma once

#include "framework/core/MacTypes.h"
#include "support/CPatchCmdEditField.h"

constexpr CommandT cmd_ShowCaptions = static_cast<CommandT>(FourCC("Smsg"));
constexpr CommandT cmd_RequestPatch = static_cast<CommandT>(FourCC("Reqt"));
constexpr CommandT cmd_SendPatch = static_cast<CommandT>(FourCC("Send"));
// Open a dropped file; param: the FSSpec*. The application carries it out.
constexpr CommandT cmd_OpenDroppedFile = static_cast<CommandT>(FourCC("Drop"));

// The picture's click on a controller; param: std::int32_t* controller index.
constexpr MessageT msg_ControllerClicked = static_cast<MessageT>(FourCC("Cchg"));
// The title field changed; param: the field (LEditText*).
constexpr MessageT msg_TitleChanged = static_cast<MessageT>(FourCC("Tchg"));

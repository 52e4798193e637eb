// The commands and broadcast messages of the main window and its panes.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"
#include "framework/core/TMessage.h"
#include "support/CPatchCmdEditField.h"

#include <QPoint>

constexpr CommandT cmd_ShowCaptions = static_cast<CommandT>(FourCC("Smsg"));
constexpr CommandT cmd_RequestPatch = static_cast<CommandT>(FourCC("Reqt"));
constexpr CommandT cmd_SendPatch = static_cast<CommandT>(FourCC("Send"));
// Open the selected controller in the assign dialog.
constexpr CommandT cmd_EditAssignment = static_cast<CommandT>(FourCC("Pedt"));
// Open a dropped file; param: the file. The application carries it out.
constexpr TMessage<FSSpec> cmd_OpenDroppedFile{"Drop"};

// The picture's click on a controller; param: the controller index.
constexpr TMessage<const std::int32_t> msg_ControllerClicked{"Cchg"};
// The title field changed; param: the field.
constexpr TEditTextMessage msg_TitleChanged{"Tchg"};

// The picture's arrow keys ask for another controller to be selected; param: its index.
constexpr TMessage<const std::int32_t> msg_ControllerStepped{"Cstp"};

// A right-click on a controller (or the menu key with one selected): the controller and where
// its context menu goes, in global coordinates.
struct SControllerMenuRequest {
  std::int32_t index;
  QPoint globalPosition;
};
constexpr TMessage<const SControllerMenuRequest> msg_ControllerMenuRequested{"Cmnu"};

// Command numbers of the framework's menus, and the synthetic commands of items that have none.
#pragma once

#include "framework/core/MacTypes.h"

constexpr CommandT cmd_Nothing = 0;
constexpr CommandT cmd_About = 1;
constexpr CommandT cmd_New = 2;
constexpr CommandT cmd_Open = 3;
constexpr CommandT cmd_Close = 4;
constexpr CommandT cmd_Save = 5;
constexpr CommandT cmd_SaveAs = 6;
constexpr CommandT cmd_Revert = 7;
constexpr CommandT cmd_PageSetup = 8;
constexpr CommandT cmd_Print = 9;
constexpr CommandT cmd_Quit = 10;
constexpr CommandT cmd_Undo = 11;
constexpr CommandT cmd_Cut = 12;
constexpr CommandT cmd_Copy = 13;
constexpr CommandT cmd_Paste = 14;
constexpr CommandT cmd_Clear = 15;
constexpr CommandT cmd_SelectAll = 16;
constexpr CommandT cmd_PrintOne = 17;
constexpr CommandT cmd_Preferences = 27;
// Does again what Undo took back.
constexpr CommandT cmd_Redo = static_cast<CommandT>(FourCC("Redo"));

// The mark of a checked menu item.
constexpr std::uint16_t checkMark = 0x12;
constexpr std::uint16_t noMark = 0;

class UCommands {
 public:
  // The command of item `item` (from 1) of menu `menuID` when the item has none of its own:
  // -(menuID * 65536 + item).
  static constexpr CommandT SyntheticCommand(ResIDT menuID, std::int16_t item) {
    return static_cast<CommandT>(-(static_cast<std::int64_t>(menuID) * 65536 + item));
  }
  // Whether `command` is the synthetic command of some item of menu `menuID`; the item then.
  static bool IsSyntheticCommand(CommandT command, ResIDT menuID, std::int16_t& item);
};

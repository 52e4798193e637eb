#include "framework/core/LCommander.h"

bool LCommander::ObeyCommand(CommandT command, void* param) {
  return mSuperCommander != nullptr && mSuperCommander->ObeyCommand(command, param);
}

void LCommander::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                   std::uint16_t& mark, Str255 name) {
  if (mSuperCommander != nullptr) {
    mSuperCommander->FindCommandStatus(command, enabled, usesMark, mark, name);
    return;
  }
  enabled = false;
  usesMark = false;
  mark = 0;
}

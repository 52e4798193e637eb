#include "framework/ui/UCommands.h"

bool UCommands::IsSyntheticCommand(CommandT command, ResIDT menuID, std::int16_t& item) {
  const std::int64_t value =
      -static_cast<std::int64_t>(command) - static_cast<std::int64_t>(menuID) * 65536;
  if (value < 1 || value > 0x7FFF) return false;
  item = static_cast<std::int16_t>(value);
  return true;
}

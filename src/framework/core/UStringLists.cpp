#include "framework/core/UStringLists.h"

std::string UStringLists::GetIndString(ResIDT listID, std::int16_t index) {
  for (const SStringList* list = kStringLists; list->items != nullptr; ++list) {
    if (list->id != listID) continue;
    if (index < 1 || index > list->count) return {};
    return list->items[index - 1];
  }
  return {};
}

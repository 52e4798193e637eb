// String lists (resource data, one list per ID, items counted from 1), compiled into the
// program from resources/strings.
#pragma once

#include "framework/core/MacTypes.h"

#include <string>

struct SStringList {
  ResIDT id;
  const char* const* items;
  int count;
};

// Defined by the generated resource source; ends with an entry whose items are null.
extern const SStringList kStringLists[];

class UStringLists {
 public:
  // Item `index` (from 1) of list `listID`, or an empty string when either does not exist.
  static std::string GetIndString(ResIDT listID, std::int16_t index);
};

// A view that is also a commander, grouping the fields among which Tab moves the focus (Qt's
// focus chain does the moving; keys the group does not want go up the chain).
#pragma once

#include "framework/core/LCommander.h"
#include "framework/ui/LView.h"

class LTabGroup : public LView, public LCommander {
 public:
  static constexpr ClassIDT class_ID = FourCC("tabg");

  explicit LTabGroup(const LPaneData& data) : LView(data), LCommander(data.GetSuperCommander()) {}
};

// A link in the chain of command: commands a commander does not handle travel up to its
// super-commander, and the top of the chain answers "not handled".
#pragma once

#include "framework/core/MacTypes.h"

#include <cstdint>

class LCommander {
 public:
  explicit LCommander(LCommander* superCommander = nullptr) : mSuperCommander(superCommander) {}
  LCommander(const LCommander&) = delete;
  LCommander& operator=(const LCommander&) = delete;
  virtual ~LCommander() = default;

  LCommander* GetSuperCommander() const { return mSuperCommander; }
  void SetSuperCommander(LCommander* superCommander) { mSuperCommander = superCommander; }

  // True when the command was handled here or above.
  virtual bool ObeyCommand(CommandT command, void* param);

  // Fills the menu state of `command`; a non-empty `name` replaces the item text. Unknown
  // commands are asked above; at the top they are disabled and unmarked.
  virtual void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                 std::uint16_t& mark, Str255 name);

 private:
  LCommander* mSuperCommander;  // not owned
};

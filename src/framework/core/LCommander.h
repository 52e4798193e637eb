// A link in the chain of command: commands and keys a commander does not handle travel up to
// its super-commander, and the top of the chain answers "not handled".
//
// Ownership: a commander is a sub-commander of its super-commander, which deletes the subs
// still left when it is destroyed (so subs must be heap objects unless they are destroyed
// first, as stack objects are). A destroyed sub leaves its super's list on its own.
//
// The target is the one commander that has the keyboard focus; menus ask it first. Main
// thread only.
#pragma once

#include "framework/core/EventRecord.h"
#include "framework/core/MacTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

class LCommander {
 public:
  explicit LCommander(LCommander* superCommander = nullptr);
  LCommander(const LCommander&) = delete;
  LCommander& operator=(const LCommander&) = delete;
  // Deletes the remaining sub-commanders, leaves the super's list and, when it was the
  // target, hands the target to the super-commander.
  virtual ~LCommander();

  LCommander* GetSuperCommander() const { return mSuperCommander; }
  // Moves this commander to the sub list of `superCommander` (null: no super).
  void SetSuperCommander(LCommander* superCommander);
  const std::vector<LCommander*>& GetSubCommanders() const { return mSubCommanders; }

  // True when the command was handled here or above.
  virtual bool ObeyCommand(CommandT command, void* param);

  // Fills the menu state of `command`; a non-empty `name` replaces the item text. Unknown
  // commands are asked above; at the top they are disabled and unmarked.
  virtual void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark,
                                 std::uint16_t& mark, Str255 name);

  // True when the key was handled here or above.
  virtual bool HandleKeyPress(const EventRecord& event);

  // Asked when a sub-commander wants to go away (a window being closed); true lets it go.
  virtual bool AllowSubRemoval(LCommander* sub);

  bool IsTarget() const { return sTarget == this; }
  // Whether this commander is the target or one of the target's super-commanders.
  bool IsOnDuty() const;
  static LCommander* GetTarget() { return sTarget; }
  // Gives `newTarget` (may be null) the focus: the old target gets DontBeTarget, then the
  // new one BeTarget. Nothing happens when it already is the target.
  static void SwitchTarget(LCommander* newTarget);

  // Asks for the menus to be evaluated again (the GUI does so before they show).
  static void SetUpdateCommandStatus(bool update) { sUpdateCommandStatus = update; }
  static bool GetUpdateCommandStatus() { return sUpdateCommandStatus; }

 protected:
  virtual void BeTarget() {}
  virtual void DontBeTarget() {}
  // Deletes every sub-commander now (derived destructors may want it before their members
  // go away).
  void DeleteAllSubCommanders();

 private:
  friend class LWeakCommander;
  // The slot that weak pointers share; it is emptied when the commander is destroyed.
  const std::shared_ptr<LCommander*>& GetLifeSlot();
  std::shared_ptr<LCommander*> mLifeSlot;  // made on first use

  LCommander* mSuperCommander = nullptr;  // not owned
  std::vector<LCommander*> mSubCommanders;  // owned

  static LCommander* sTarget;
  static bool sUpdateCommandStatus;
};

// A pointer to a commander that turns null when the commander is destroyed (for holding on to
// the target across something that may delete it, such as a modal dialog's event loop).
class LWeakCommander {
 public:
  LWeakCommander() = default;
  explicit LWeakCommander(LCommander* commander)
      : mSlot(commander != nullptr ? commander->GetLifeSlot() : nullptr) {}

  LCommander* Get() const { return mSlot != nullptr ? *mSlot : nullptr; }

 private:
  std::shared_ptr<LCommander*> mSlot;
};

#include "framework/core/LCommander.h"

#include <algorithm>

LCommander* LCommander::sTarget = nullptr;
bool LCommander::sUpdateCommandStatus = false;

LCommander::LCommander(LCommander* superCommander) { SetSuperCommander(superCommander); }

LCommander::~LCommander() {
  if (mLifeSlot != nullptr) *mLifeSlot = nullptr;
  DeleteAllSubCommanders();
  // Only the pointer moves: the super may itself be half destroyed, so it is not called.
  if (sTarget == this) sTarget = mSuperCommander;
  SetSuperCommander(nullptr);
}

const std::shared_ptr<LCommander*>& LCommander::GetLifeSlot() {
  if (mLifeSlot == nullptr) mLifeSlot = std::make_shared<LCommander*>(this);
  return mLifeSlot;
}

void LCommander::SetSuperCommander(LCommander* superCommander) {
  if (superCommander == mSuperCommander) return;
  if (mSuperCommander != nullptr) std::erase(mSuperCommander->mSubCommanders, this);
  mSuperCommander = superCommander;
  if (mSuperCommander != nullptr) mSuperCommander->mSubCommanders.push_back(this);
}

void LCommander::DeleteAllSubCommanders() {
  // Each sub leaves the list in its destructor; newest first, like a stack.
  while (!mSubCommanders.empty()) delete mSubCommanders.back();
}

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

bool LCommander::HandleKeyPress(const EventRecord& event) {
  return mSuperCommander != nullptr && mSuperCommander->HandleKeyPress(event);
}

bool LCommander::AllowSubRemoval(LCommander* /*sub*/) { return true; }

bool LCommander::IsOnDuty() const {
  for (const LCommander* link = sTarget; link != nullptr; link = link->mSuperCommander) {
    if (link == this) return true;
  }
  return false;
}

void LCommander::SwitchTarget(LCommander* newTarget) {
  if (newTarget == sTarget) return;
  LCommander* oldTarget = sTarget;
  sTarget = newTarget;
  if (oldTarget != nullptr) oldTarget->DontBeTarget();
  // DontBeTarget may have moved the target on; then that choice stands.
  if (newTarget != nullptr && sTarget == newTarget) newTarget->BeTarget();
}

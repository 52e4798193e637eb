#include "framework/core/LPeriodical.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// Members stay in start order. A removal during a pass only blanks the slot, so the indices
// of the running passes stay valid; the blanks are swept when the outermost pass ends.
class CPeriodicalList {
 public:
  void Add(LPeriodical* periodical) {
    if (!Contains(periodical)) mMembers.push_back(periodical);
  }

  void Remove(LPeriodical* periodical) {
    auto found = std::find(mMembers.begin(), mMembers.end(), periodical);
    if (found == mMembers.end()) return;
    if (mPassDepth > 0) {
      *found = nullptr;
      mHasBlanks = true;
    } else {
      mMembers.erase(found);
    }
  }

  bool Contains(const LPeriodical* periodical) const {
    return std::find(mMembers.begin(), mMembers.end(), periodical) != mMembers.end();
  }

  void DevoteTime(const EventRecord& event) {
    StPass pass(*this);
    // Periodicals started during this pass wait for the next one.
    const std::size_t count = mMembers.size();
    for (std::size_t i = 0; i < count; ++i) {
      if (LPeriodical* periodical = mMembers[i]) periodical->SpendTime(event);
    }
  }

 private:
  class StPass {
   public:
    explicit StPass(CPeriodicalList& list) : mList(list) { ++mList.mPassDepth; }
    ~StPass() {
      if (--mList.mPassDepth == 0) mList.SweepBlanks();
    }
    StPass(const StPass&) = delete;
    StPass& operator=(const StPass&) = delete;

   private:
    CPeriodicalList& mList;
  };

  void SweepBlanks() {
    if (!mHasBlanks) return;
    std::erase(mMembers, nullptr);
    mHasBlanks = false;
  }

  std::vector<LPeriodical*> mMembers;
  int mPassDepth = 0;
  bool mHasBlanks = false;
};

// Never destroyed, so periodicals with static storage may leave the lists at exit.
CPeriodicalList& repeaters() {
  static auto* list = new CPeriodicalList;
  return *list;
}

CPeriodicalList& idlers() {
  static auto* list = new CPeriodicalList;
  return *list;
}

}  // namespace

LPeriodical::~LPeriodical() {
  StopRepeating();
  StopIdling();
}

void LPeriodical::StartRepeating() { repeaters().Add(this); }
void LPeriodical::StopRepeating() { repeaters().Remove(this); }
bool LPeriodical::IsRepeating() const { return repeaters().Contains(this); }

void LPeriodical::StartIdling() { idlers().Add(this); }
void LPeriodical::StopIdling() { idlers().Remove(this); }
bool LPeriodical::IsIdling() const { return idlers().Contains(this); }

void LPeriodical::DevoteTimeToRepeaters(const EventRecord& event) {
  repeaters().DevoteTime(event);
}

void LPeriodical::DevoteTimeToIdlers(const EventRecord& event) { idlers().DevoteTime(event); }

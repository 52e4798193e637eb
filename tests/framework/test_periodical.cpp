// Both lists of periodicals, changed by a periodical during its own turn.
#include "framework/core/LPeriodical.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace {

// One of the two lists: how a periodical joins and leaves it, and how a pass is given.
struct SList {
  const char* name;
  void (LPeriodical::*start)();
  void (LPeriodical::*stop)();
  void (*devoteTime)(const EventRecord&);
};

const SList kLists[] = {
    {"repeaters", &LPeriodical::StartRepeating, &LPeriodical::StopRepeating,
     &LPeriodical::DevoteTimeToRepeaters},
    {"idlers", &LPeriodical::StartIdling, &LPeriodical::StopIdling,
     &LPeriodical::DevoteTimeToIdlers},
};

// Adds its letter to a log on every turn, and runs `action` in its first turn.
class CLetter final : public LPeriodical {
 public:
  CLetter(char letter, std::string& log) : mLetter(letter), mLog(log) {}
  void SpendTime(const EventRecord&) override {
    mLog += mLetter;
    if (auto once = std::exchange(action, nullptr)) once();
  }
  std::function<void()> action;

 private:
  char mLetter;
  std::string& mLog;
};

// A, B and C in the list, D not yet; B acts in its first turn.
struct SLetters {
  CLetter& a;
  CLetter& b;
  std::unique_ptr<CLetter>& c;
  CLetter& d;
};

struct STurnRow {
  const char* name;
  std::function<void(const SList&, SLetters&)> action;
  const char* firstPass;
  const char* secondPass;
};

TEST(LPeriodical, ChangesMadeDuringATurnAsEachListSees) {
  const STurnRow rows[] = {
      {"B does nothing", [](const SList&, SLetters&) {}, "ABC", "ABC"},
      {"B leaves", [](const SList& list, SLetters& l) { (l.b.*list.stop)(); }, "ABC", "AC"},
      {"B deletes C", [](const SList&, SLetters& l) { l.c.reset(); }, "AB", "AB"},
      {"B starts D and A again",
       [](const SList& list, SLetters& l) {
         (l.d.*list.start)();
         (l.a.*list.start)();
       },
       "ABC", "ABCD"},
      {"B stops and starts C",
       [](const SList& list, SLetters& l) {
         (*l.c.*list.stop)();
         (*l.c.*list.start)();
       },
       "AB", "ABC"},
  };
  for (const SList& list : kLists) {
    for (const STurnRow& row : rows) {
      SCOPED_TRACE(std::string(list.name) + ": " + row.name);
      std::string log;
      CLetter a('A', log), b('B', log), d('D', log);
      auto c = std::make_unique<CLetter>('C', log);
      for (CLetter* member : {&a, &b, c.get()}) (member->*list.start)();
      SLetters letters{a, b, c, d};
      b.action = [&] { row.action(list, letters); };

      list.devoteTime(EventRecord{});
      EXPECT_EQ(log, row.firstPass);
      log.clear();
      list.devoteTime(EventRecord{});
      EXPECT_EQ(log, row.secondPass);
    }
  }
}

}  // namespace

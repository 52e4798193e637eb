#include <gtest/gtest.h>

#include "document/CPatch.h"
#include "document/UControllerSummary.h"
#include "support/PatchTestSupport.h"

using namespace kvxtest;

TEST(ControllerSummary, DescriptorNameAndCaptionJoinedByEmDashes) {
  struct SRow {
    const char* name;
    long index;
    SPatchParam record;
    const char* parameterName;  // Mac Roman
    const char* expected;       // UTF-8
  };
  const SRow rows[] = {
      {"assigned and named", 0, MakeRecord(7, 0, {74, 0, 127}), "Cutoff", "R1 — Cutoff — CC 74:1"},
      {"assigned, no name", 9, MakeRecord(1, 9, {36, 100}), "", "S1 — NT 36:10"},
      {"blank name left out", 18, MakeRecord(12, 2, {4}), "   ", "A1 — PC 5:3"},
      {"name trimmed", 47, MakeRecord(15, 0, {1, 2, 0, 0, 127}), " Pitch  ",
       "BEND — Pitch — RP 0/2:1"},
      {"unassigned, named", 48, MakeRecord(0), "Vibrato", "MOD — Vibrato — no assignment"},
      {"unassigned, unnamed", 49, MakeRecord(0), "", "AFT — no assignment"},
      {"realtime", 36, MakeRecord(19, 0, {0xFA}), "Start", "C1 — Start — FA"},
      {"template", 45, MakeRecord(20), "Scene", "P1 — Scene — SysEx."},
      {"Mac Roman name", 1, MakeRecord(24), "K\212fer", "R2 — Käfer — TEMPO"},  // 0x8A: ä
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    CPatch patch;
    SPatchParam record = row.record;
    SetName(record, row.parameterName);
    patch.SetParam(row.index, &record);
    EXPECT_EQ(UControllerSummary::Describe(patch, row.index), row.expected);
  }
}

TEST(ControllerSummary, InvalidIndexAndDamagedNameLength) {
  CPatch patch;
  EXPECT_EQ(UControllerSummary::Describe(patch, -1), "");
  EXPECT_EQ(UControllerSummary::Describe(patch, kControllerCount), "");
  // A length byte beyond the field reads no further than its 128 characters.
  SPatchParam* stored = patch.GetParam(2);
  std::fill(std::begin(stored->name) + 1, std::end(stored->name), 'x');
  stored->name[0] = 255;
  EXPECT_EQ(UControllerSummary::Describe(patch, 2),
            "R3 — " + std::string(128, 'x') + " — no assignment");
}

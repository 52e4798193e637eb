#include <gtest/gtest.h>

#include "document/CPatch.h"
#include "document/UControllerSummary.h"
#include "support/PatchTestSupport.h"

using namespace kvxtest;

TEST(ControllerSummary, DescriptorNameAndCaptionJoinedByEmDashes) {
  const struct {
    long index;
    SPatchParam record;
    const char* parameterName;  // Mac Roman
    const char* expected;       // UTF-8
  } rows[] = {
      {0, MakeRecord(7, 0, {74, 0, 127}), "Cutoff", "R1 — Cutoff — CC 74:1"},
      {9, MakeRecord(1, 9, {36, 100}), "", "S1 — NT 36:10"},
      {18, MakeRecord(12, 2, {4}), "   ", "A1 — PC 5:3"},
      {47, MakeRecord(15, 0, {1, 2, 0, 0, 127}), " Pitch  ", "BEND — Pitch — RP 0/2:1"},
      {36, MakeRecord(19, 0, {0xFA}), "K\212fer", "C1 — Käfer — FA"},  // 0x8A: ä
      {48, MakeRecord(0), "Vibrato", "MOD — Vibrato — no assignment"},
      {49, MakeRecord(0), "", "AFT — no assignment"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.expected);
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
  SPatchParam* stored = patch.GetParam(2);
  std::fill(std::begin(stored->name), std::end(stored->name), 'x');
  stored->name[0] = 255;  // read no further than the field's 128 characters
  EXPECT_EQ(UControllerSummary::Describe(patch, 2),
            "R3 — " + std::string(128, 'x') + " — no assignment");
}

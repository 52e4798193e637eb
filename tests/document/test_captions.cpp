#include "document/CPatch.h"

#include "support/PatchTestSupport.h"

#include <gtest/gtest.h>

using namespace kvxtest;

namespace {

struct SCaptionRow {
  const char* name;
  std::uint8_t msgType;
  std::uint8_t channel;  // stored, 0-based
  std::uint8_t data0, data1, data2;
  const char* caption;
};

std::string CaptionOf(const CPatch& patch, long index) {
  Str255 out;
  out[0] = 0xEE;
  patch.GetShortParamCaption(index, out);
  return Text(out);
}

}  // namespace

TEST(Captions, EveryMessageType) {
  const SCaptionRow rows[] = {
      {"NoAssign", 0, 5, 1, 2, 3, "N/A"},
      {"Note", 1, 0, 60, 100, 0, "NT 60:1"},
      {"Note alternate", 2, 15, 0, 1, 2, "NT 0:16"},
      {"CAf", 3, 0, 10, 20, 0, "CAf :1"},
      {"CAf alternate", 4, 1, 10, 20, 0, "CAf :2"},
      {"PAf", 5, 1, 64, 0, 127, "PAf 64:2"},
      {"PAf alternate", 6, 1, 127, 0, 127, "PAf 127:2"},
      {"CC", 7, 0, 7, 0, 127, "CC 7:1"},
      {"CC alternate", 8, 2, 74, 0, 127, "CC 74:3"},
      {"Enc", 9, 0, 16, 0, 0, "Enc 16:1"},
      {"PC", 10, 0, 0, 127, 0, "PC :1"},
      {"BankPC", 11, 0, 0, 0, 0, "Bnk 0/0, PC :1"},
      {"BankPC MSB before LSB", 11, 6, 3, 121, 0, "Bnk 121/3, PC :7"},
      {"FixedPC", 12, 0, 0, 0, 0, "PC 1:1"},
      {"FixedPC 128", 12, 3, 127, 0, 0, "PC 128:4"},
      {"FixedBankPC", 13, 9, 0, 80, 4, "Bnk 80/0, PC 5:10"},
      {"CurPC increment", 14, 3, 0, 0, 0, "PC Inc."},
      {"CurPC decrement", 14, 3, 1, 0, 0, "PC Dec."},
      {"CurPC any other value", 14, 3, 2, 0, 0, "PC Dec."},
      {"RPN", 15, 0, 1, 2, 0, "RP 0/2:1"},
      {"RPN alternate", 16, 4, 1, 0, 127, "RP 127/0:5"},
      {"NRPN", 17, 15, 0, 8, 1, "NP 1/8:16"},
      {"NRPN alternate", 18, 0, 0, 99, 12, "NP 12/99:1"},
      {"Realtime FA", 19, 0, 0xFA, 0, 0, "FA"},
      {"Realtime 0A", 19, 0, 0x0A, 0, 0, "0A"},
      {"Realtime F8", 19, 7, 0xF8, 0, 0, "F8"},
      {"Sysx", 20, 0, 0xF0, 0, 0, "SysEx."},
      {"Sysx alternate", 21, 0, 0xF0, 0, 0, "SysEx."},
      {"Free", 22, 0, 0, 0, 0, "FREE"},
      {"Free alternate", 23, 0, 0, 0, 0, "FREE"},
      {"Tempo", 24, 0, 0, 0, 0, "TEMPO"},
      {"code 25", 25, 0, 7, 0, 0, "N/A"},
      {"code 255", 255, 0, 7, 0, 0, "N/A"},
      {"numbers of received junk", 12, 0, 255, 0, 0, "PC 256:1"},
      {"channel of received junk", 7, 200, 1, 0, 0, "CC 1:201"},
  };
  for (const SCaptionRow& row : rows) {
    SCOPED_TRACE(row.name);
    CPatch patch;
    // Written directly so that no normalisation hides what the caption reads.
    *patch.GetParam(33) = MakeRecord(row.msgType, row.channel, {row.data0, row.data1, row.data2});
    EXPECT_EQ(CaptionOf(patch, 33), row.caption);
  }
}

TEST(Captions, NoControllerGivesNA) {
  CPatch patch;
  for (long index : {-1L, 50L, 1000L}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(CaptionOf(patch, index), "N/A");
  }
  EXPECT_EQ(CaptionOf(patch, 0), "N/A") << "an all-zero record";
}

#include "document/CPatch.h"

#include "support/PatchTestSupport.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace kvxtest;

namespace {

bool IsAllZero(const SPatchParam& record) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
  for (std::size_t k = 0; k < sizeof record; ++k)
    if (bytes[k] != 0) return false;
  return true;
}

}  // namespace

TEST(PatchRecords, NewPatchIsEmptyCurrentAndUnmodified) {
  CPatch patch;
  EXPECT_EQ(patch.GetVersion(), 200u);
  EXPECT_FALSE(patch.IsModified());
  EXPECT_EQ(Text(patch.PatchTitle()), "");
  EXPECT_TRUE(patch.GetCopyrights().empty());
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_TRUE(IsAllZero(*patch.GetParam(index)));
  }
}

// --- the controller table

struct SControllerRow {
  long index;
  const char* descriptor;
  long type;
};

TEST(PatchRecords, ControllerTableRows) {
  const SControllerRow rows[] = {
      {0, "R1", 3},  {8, "R9", 3},  {9, "S1", 2},  {17, "S9", 2},   {18, "A1", 4},
      {26, "A9", 4}, {27, "B1", 4}, {35, "B9", 4}, {36, "C1", 4},   {38, "C3", 4},
      {39, "H1", 2}, {40, "H2", 2}, {41, "L1", 4}, {44, "L4", 4},   {45, "P1", 4},
      {46, "P2", 2}, {47, "BEND", 2}, {48, "MOD", 2}, {49, "AFT", 3},
  };
  CPatch patch;
  for (const SControllerRow& row : rows) {
    SCOPED_TRACE(row.descriptor);
    EXPECT_EQ(Text(patch.GetControllerDescriptor(row.index)), row.descriptor);
    EXPECT_EQ(patch.GetControllerType(row.index), row.type);
  }
}

TEST(PatchRecords, ControllerAddressesStepBy0x100) {
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(kControllerInfo[index].address, static_cast<std::uint32_t>(index) * 0x100u);
  }
}

TEST(PatchRecords, ButtonsAreA1ToC3L1ToL4AndP1) {
  CPatch patch;
  for (long index = -1; index <= kControllerCount; ++index) {
    SCOPED_TRACE(index);
    const bool button = (index >= 18 && index <= 38) || (index >= 41 && index <= 45);
    EXPECT_EQ(patch.IsControllerButton(index), button);
  }
}

// --- invalid indices

TEST(PatchRecords, InvalidIndicesGiveNothingAndChangeNothing) {
  const long indices[] = {-1, 50, 51, 1000, LONG_MIN, LONG_MAX};
  for (long index : indices) {
    SCOPED_TRACE(index);
    CPatch patch;
    CRecordingListener listener(patch);
    SPatchParam out = MakeRecord(7, 3, {1, 2, 3});
    const SPatchParam before = out;
    const SPatchParam cc = MakeRecord(7, 0, {7, 0, 127});

    EXPECT_FALSE(CPatch::ValidParamIndex(index));
    EXPECT_EQ(patch.GetParam(index), nullptr);
    EXPECT_EQ(std::as_const(patch).GetParam(index), nullptr);
    patch.GetParam(index, out);
    EXPECT_TRUE(SameRecord(out, before));
    EXPECT_EQ(patch.GetAssignMessage(index), 0);
    EXPECT_EQ(patch.GetOutputPort(index), 0);
    EXPECT_EQ(patch.GetControllerType(index), 1);
    EXPECT_EQ(Text(patch.GetControllerDescriptor(index)), "");

    patch.SetParam(index, &cc);
    patch.SetParam(index, nullptr);
    patch.ClearParam(index);
    EXPECT_FALSE(patch.IsModified());
    EXPECT_TRUE(listener.Messages().empty());
  }
}

// --- SetParam normalisation

struct SNormaliseRow {
  const char* name;
  std::uint8_t msgType;
  long payloadSize;     // bytes of data kept
  bool clearsOptions;
  bool clearsPort;
};

TEST(PatchRecords, SetParamNormalisesByMessageType) {
  const SNormaliseRow rows[] = {
      {"NoAssign", 0, 0, true, true},       {"Note", 1, 3, false, false},
      {"Note alt", 2, 3, false, false},     {"CAf", 3, 2, false, false},
      {"CAf alt", 4, 2, false, false},      {"PAf", 5, 3, false, false},
      {"PAf alt", 6, 3, false, false},      {"CC", 7, 3, false, false},
      {"CC alt", 8, 3, false, false},       {"Enc", 9, 3, true, false},
      {"PC", 10, 2, true, true},            {"BankPC", 11, 4, true, false},
      {"FixedPC", 12, 1, true, true},       {"FixedBankPC", 13, 3, true, false},
      {"CurPC", 14, 1, true, true},         {"RPN", 15, 5, false, false},
      {"RPN alt", 16, 5, false, false},     {"NRPN", 17, 5, false, false},
      {"NRPN alt", 18, 5, false, false},    {"Realtime", 19, 1, true, false},
      {"Sysx", 20, 34, false, false},       {"Sysx alt", 21, 34, false, false},
      {"Free", 22, 32, false, false},       {"Free alt", 23, 32, false, false},
      {"Tempo", 24, 0, false, true},        {"code 25", 25, 0, false, false},
      {"code 255", 255, 0, false, false},
  };
  for (const SNormaliseRow& row : rows) {
    SCOPED_TRACE(row.name);
    CPatch patch;
    SPatchParam input{};
    std::memset(&input, 0xAA, sizeof input);
    SetName(input, "Cutoff");
    input.msgType = row.msgType;
    input.isEncoder = row.msgType == 9 ? 0 : 1;  // always the wrong value
    input.options = 0x05;
    input.outputPort = 2;
    input.channel = 9;
    patch.SetParam(12, &input);

    const SPatchParam& stored = *patch.GetParam(12);
    EXPECT_EQ(patch.GetParamStructSize(row.msgType), row.payloadSize);
    EXPECT_EQ(stored.msgType, row.msgType);
    EXPECT_EQ(stored.isEncoder, row.msgType == 9 ? 1 : 0);
    EXPECT_EQ(stored.options, row.clearsOptions ? 0 : 0x05);
    EXPECT_EQ(stored.outputPort, row.clearsPort ? 0 : 2);
    EXPECT_EQ(stored.channel, 9);
    EXPECT_EQ(Text(stored.name), "Cutoff");
    for (long k = 0; k < static_cast<long>(kParamDataSize); ++k) {
      SCOPED_TRACE(k);
      EXPECT_EQ(stored.data[k], k < row.payloadSize ? 0xAA : 0x00);
    }
  }
}

TEST(PatchRecords, SetParamOfJunkCCRecordKeepsItsSettings) {
  CPatch patch;
  SPatchParam cc = MakeRecord(7, 4, {74, 10, 100});
  for (std::size_t k = 3; k < kParamDataSize; ++k) cc.data[k] = static_cast<std::uint8_t>(k);
  cc.isEncoder = 1;
  cc.options = 0x06;
  cc.outputPort = 1;
  patch.SetParam(9, &cc);

  SPatchParam expected = MakeRecord(7, 4, {74, 10, 100});
  expected.options = 0x06;
  expected.outputPort = 1;
  EXPECT_TRUE(SameRecord(*patch.GetParam(9), expected));
  EXPECT_EQ(patch.GetAssignMessage(9), 7);
  EXPECT_EQ(patch.GetOutputPort(9), 1);
}

TEST(PatchRecords, SetParamBroadcastsOnlyRealChanges) {
  CPatch patch;
  CRecordingListener listener(patch);

  const SPatchParam zero{};
  patch.SetParam(3, &zero);
  EXPECT_FALSE(patch.IsModified()) << "equal to the stored empty record";
  EXPECT_TRUE(listener.Messages().empty());

  SPatchParam cc = MakeRecord(7, 0, {7, 0, 127});
  patch.SetParam(3, &cc);
  EXPECT_TRUE(patch.IsModified());
  EXPECT_EQ(listener.IndicesOf(msg_PatchChanged), std::vector<long>{3});

  // Differs from the stored one only in what normalisation removes.
  cc.data[20] = 0x55;
  cc.isEncoder = 1;
  patch.SetParam(3, &cc);
  EXPECT_EQ(listener.Messages().size(), 1u);

  // A name change is a change.
  SetName(cc, "Volume");
  patch.SetParam(3, &cc);
  EXPECT_EQ(listener.IndicesOf(msg_PatchChanged), (std::vector<long>{3, 3}));
}

TEST(PatchRecords, SetParamOfEqualRecordLeavesLoadedPatchUnmodified) {
  CPatch source;
  const SPatchParam fixedPC = MakeRecord(12, 2, {41});
  source.SetParam(20, &fixedPC);
  CPatch patch;
  ASSERT_EQ(patch.LoadSMFData(source.MakeSMFData()), 0);
  ASSERT_FALSE(patch.IsModified());

  SPatchParam again = fixedPC;
  again.options = 3;     // cleared for FixedPC
  again.outputPort = 2;  // cleared for FixedPC
  patch.SetParam(20, &again);
  EXPECT_FALSE(patch.IsModified());
  EXPECT_EQ(patch.GetParam(20)->options, 0);
  EXPECT_EQ(patch.GetParam(20)->outputPort, 0);
}

TEST(PatchRecords, SetParamWithNullClearsAndAlwaysBroadcasts) {
  CPatch patch;
  CRecordingListener listener(patch);
  patch.SetParam(5, nullptr);  // already empty: still announced
  EXPECT_TRUE(patch.IsModified());

  const SPatchParam note = MakeRecord(1, 0, {60, 100, 0});
  patch.SetParam(5, &note);
  patch.ClearParam(5);
  EXPECT_TRUE(IsAllZero(*patch.GetParam(5)));
  patch.ClearParam(5);
  EXPECT_EQ(listener.IndicesOf(msg_PatchChanged), (std::vector<long>{5, 5, 5, 5}));
}

TEST(PatchRecords, GetParamCopiesTheStoredRecord) {
  CPatch patch;
  SPatchParam note = MakeRecord(1, 15, {60, 100, 2});
  SetName(note, "Kick");
  patch.SetParam(49, &note);
  SPatchParam out{};
  patch.GetParam(49, out);
  EXPECT_TRUE(SameRecord(out, note));
}

TEST(PatchRecords, InitAllParamsEmptiesEverythingButTheVersion) {
  CPatch patch;
  patch.SetVersion(100);
  patch.AddCopyright({'(', 'c', ')'});
  patch.SetPatchTitle(LStr255("Live set"));
  const SPatchParam cc = MakeRecord(7, 0, {1, 2, 3});
  patch.SetParam(0, &cc);
  CRecordingListener listener(patch);

  patch.InitAllParams();
  EXPECT_EQ(patch.GetVersion(), 100u);
  EXPECT_FALSE(patch.IsModified());
  EXPECT_EQ(Text(patch.PatchTitle()), "");
  EXPECT_TRUE(patch.GetCopyrights().empty());
  EXPECT_TRUE(IsAllZero(*patch.GetParam(0)));
  ASSERT_EQ(listener.Messages().size(), 1u);
  EXPECT_EQ(listener.Messages()[0].message, msg_PatchInit);
  EXPECT_EQ(listener.Messages()[0].param, nullptr);
}

// --- title and version

struct STitleRow {
  const char* name;
  std::size_t length;
  std::size_t stored;
};

TEST(PatchRecords, TitleIsCutTo128Characters) {
  const STitleRow rows[] = {
      {"empty", 0, 0}, {"short", 5, 5}, {"127", 127, 127}, {"128", 128, 128},
      {"129", 129, 128}, {"200", 200, 128}, {"255", 255, 128},
  };
  for (const STitleRow& row : rows) {
    SCOPED_TRACE(row.name);
    CPatch patch;
    CRecordingListener listener(patch);
    std::string title;
    for (std::size_t k = 0; k < row.length; ++k) title += static_cast<char>('a' + k % 26);
    patch.SetPatchTitle(LStr255(title));
    EXPECT_TRUE(patch.IsModified());
    EXPECT_TRUE(listener.Messages().empty()) << "setting the title is not broadcast";
    Str255 out;
    EXPECT_EQ(patch.GetPatchTitle(out), out);
    EXPECT_EQ(Text(out), title.substr(0, row.stored));
  }
}

TEST(PatchRecords, VersionIsStoredAsGiven) {
  CPatch patch;
  patch.SetVersion(100);
  EXPECT_EQ(patch.GetVersion(), 100u);
  patch.SetVersion(12345);
  EXPECT_EQ(patch.GetVersion(), 12345u);
  patch.SetCurrentVersion();
  EXPECT_EQ(patch.GetVersion(), 200u);
}

TEST(PatchRecords, ByteOrderReversal) {
  EXPECT_EQ(CPatch::GetLEndianUInt32(0x11223344u), 0x44332211u);
  EXPECT_EQ(CPatch::GetLEndianUInt32(0x00000900u), 0x00090000u);
  EXPECT_EQ(CPatch::GetLEndianUInt16(0x1234u), 0x3412u);
}

TEST(PatchRecords, PayloadSizeOfCodesOutsideTheTable) {
  CPatch patch;
  EXPECT_EQ(patch.GetParamStructSize(-1), 0);
  EXPECT_EQ(patch.GetParamStructSize(25), 0);
  EXPECT_EQ(patch.GetParamStructSize(1000), 0);
}

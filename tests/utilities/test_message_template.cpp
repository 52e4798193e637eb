#include "framework/core/LString.h"
#include "utilities/CMidiChk.h"
#include "utilities/UMessageTemplate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr short kBadCharacter = UMessageTemplate::kBadCharacter;
constexpr short kTooLong = UMessageTemplate::kTooLong;
constexpr short kBadStructure = UMessageTemplate::kBadStructure;

// A text of `count` zero bytes written as "00 00 ...".
std::string zeros(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += " 00";
  return text;
}

Bytes messageBytes(const std::uint8_t* msg, short count) {
  return count > 0 ? Bytes(msg, msg + count) : Bytes{};
}

// Every byte behind the message must stay zero: the device fills the placeholders.
bool zeroBehind(const std::uint8_t* msg, short count) {
  for (int i = count < 0 ? 0 : count; i < UMessageTemplate::kMaxMessageBytes; ++i) {
    if (msg[i] != 0) return false;
  }
  return true;
}

SPrmPatCtrlSysEx sysexWithJunk(std::uint8_t dataType) {
  SPrmPatCtrlSysEx payload;
  std::memset(&payload, 0x5A, sizeof payload);  // stale fields of an earlier template
  payload.info.dataType = dataType;
  return payload;
}

SPrmPatCtrlSysExFree freeWithJunk(std::uint8_t dataType) {
  SPrmPatCtrlSysExFree payload;
  std::memset(&payload, 0x5A, sizeof payload);
  payload.info.dataType = dataType;
  return payload;
}

std::string makeSysx(const SPrmPatCtrlSysEx& payload, bool listForm) {
  Str255 text;
  UMessageTemplate::MakeSysxStr(payload, text, listForm);
  return LString::ToStd(text);
}

std::string makeMsg(const SPrmPatCtrlSysExFree& payload, bool listForm) {
  Str255 text;
  UMessageTemplate::MakeMsgStr(payload, text, listForm);
  return LString::ToStd(text);
}

// ---------------------------------------------------------------------------------------------
// SysEx compiler

struct SysxRow {
  const char* name;
  std::string text;
  std::uint8_t dataType;
  short result;
  Bytes msg;  // checked only for a positive result
  std::uint8_t expectDataType = 0;
  std::uint8_t dataPos = 0;
  std::uint8_t chType = 0, chPos = 0, chHigh = 0;
  std::uint8_t csType = 0, csStart = 0, csPos = 0;
};

const std::vector<SysxRow> kSysxRows = {
    {"checksum example",
     "f0 7d 01 02 SS 40 00 DT S1 f7",
     1,
     9,
     {0xF0, 0x7D, 0x01, 0x02, 0x40, 0x00, 0x00, 0x00, 0xF7},
     1,
     6,
     0,
     0,
     0,
     1,
     4,
     7},
    {"channel N with mm ll",
     "F0 7D 1N 01 DT F7",
     3,
     7,
     {0xF0, 0x7D, 0x00, 0x01, 0x00, 0x00, 0xF7},
     3,
     4,
     2,
     2,
     1},
    {"channel X, high digit 7", "f0 7x f7", 0, 3, {0xF0, 0x00, 0xF7}, 0, 0, 1, 1, 7},
    {"shortest message", "F0 F7", 1, 2, {0xF0, 0xF7}},
    {"blanks around and inside", "   f0    7d   f7  ", 0, 3, {0xF0, 0x7D, 0xF7}},
    {"digits pair up from the left", "F07D0102F7", 0, 5, {0xF0, 0x7D, 0x01, 0x02, 0xF7}},
    {"lone digits before blanks", "F0 1 2 F7", 0, 4, {0xF0, 0x01, 0x02, 0xF7}},
    {"lone digit before DT", "F0 5DT F7", 1, 4, {0xF0, 0x05, 0x00, 0xF7}, 1, 2},
    {"lone digit before S2",
     "F0 SS 7D 3S2 F7",
     0,
     5,
     {0xF0, 0x7D, 0x03, 0x00, 0xF7},
     0,
     0,
     0,
     0,
     0,
     2,
     1,
     3},
    {"lone digit before SS stays pending",
     "F0 4SS1 S1 F7",
     0,
     4,
     {0xF0, 0x41, 0x00, 0xF7},
     0,
     0,
     0,
     0,
     0,
     1,
     1,
     2},
    {"format 5 reserves four bytes", "F0 DT F7", 5, 6, {0xF0, 0, 0, 0, 0, 0xF7}, 5, 1},
    {"format 2 reserves two bytes", "F0 DT F7", 2, 4, {0xF0, 0, 0, 0xF7}, 2, 1},
    {"DT of format 0 is refused", "F0DT F7", 0, kBadStructure, {}},
    {"a format above 5 counts as none: DT is refused", "F0 DT F7", 9, kBadStructure, {}},
    {"no DT clears the format", "F0 01 F7", 3, 3, {0xF0, 0x01, 0xF7}, 0, 0},
    {"24 bytes fit", "F0" + zeros(22) + " F7", 0, 24, {}},
    {"24 bytes with DT fit", "F0" + zeros(18) + " DT F7", 5, 24, {}, 5, 19},
    // errors
    {"empty text", "", 1, kBadStructure, {}},
    {"no F0 at the start", "7D F7", 1, kBadStructure, {}},
    {"no F7 at the end", "F0 90", 1, kBadStructure, {}},
    {"only F0", "F0", 1, kBadStructure, {}},
    {"bytes after F7", "F0 F7 00 F7", 1, kBadStructure, {}},
    {"F7 twice without blank", "F0 F7F7", 1, kBadStructure, {}},
    {"checksum without SS", "F0 S1 F7", 1, kBadStructure, {}},
    {"channel digit above 7", "F0 8N F7", 1, kBadStructure, {}},
    {"not a hex digit", "F0 G1 F7", 1, kBadCharacter, {}},
    {"tab is not a blank", "F0\t01 F7", 1, kBadCharacter, {}},
    {"N without a digit", "F0 N F7", 1, kBadCharacter, {}},
    {"25 bytes", "F0" + zeros(23) + " F7", 1, kTooLong, {}},
    {"23 bytes and DT of format 5", "F0" + zeros(21) + " DT F7", 5, kTooLong, {}},
    {"channel byte as the 25th", "F0" + zeros(23) + " 1N F7", 1, kTooLong, {}},
    {"checksum byte as the 25th", "F0 SS" + zeros(23) + " S1 F7", 1, kTooLong, {}},
    {"DT twice", "F0 DT DT F7", 1, kBadStructure, {}},
    {"channel twice", "F0 1N 2X F7", 1, kBadStructure, {}},
    {"SS twice", "F0 SS 01 SS 02 S1 F7", 1, kBadStructure, {}},
    {"checksum twice", "F0 SS 01 S1 S2 F7", 1, kBadStructure, {}},
    {"SS after the checksum", "F0 SS 01 S1 SS F7", 1, kBadStructure, {}},
    {"SS left open", "F0 SS 01 F7", 1, kBadStructure, {}},
    {"lone digit at the end", "F0 0F7", 1, kBadStructure, {}},
};

TEST(CompileSysxStr, Table) {
  for (const SysxRow& row : kSysxRows) {
    SCOPED_TRACE(row.name);
    SPrmPatCtrlSysEx out = sysexWithJunk(row.dataType);
    const short result = UMessageTemplate::CompileSysxStr(LStr255(row.text), out);
    ASSERT_EQ(result, row.result) << row.text;
    if (result <= 0) continue;
    if (!row.msg.empty()) {
      EXPECT_EQ(messageBytes(out.msg, result), row.msg);
    }
    EXPECT_TRUE(zeroBehind(out.msg, result));
    EXPECT_EQ(out.info.dataType, row.expectDataType);
    EXPECT_EQ(out.info.dataPos, row.dataPos);
    EXPECT_EQ(out.chType, row.chType);
    EXPECT_EQ(out.chPos, row.chPos);
    EXPECT_EQ(out.chHigh, row.chHigh);
    EXPECT_EQ(out.csType, row.csType);
    EXPECT_EQ(out.csStart, row.csStart);
    EXPECT_EQ(out.csPos, row.csPos);
    EXPECT_EQ(out.info.minValue, 0x5A) << "the value range belongs to the controls";
    EXPECT_EQ(out.info.maxValue, 0x5A);
  }
}

TEST(CompileSysxStr, CompiledBytesPassTheMidiCheckOnlyWhenWellFormed) {
  struct Row {
    const char* text;
    bool wellFormed;
  };
  const Row rows[] = {{"F0 F7", true}, {"F0 7D 1N 01 DT F7", true}, {"F0 90 F7", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    SPrmPatCtrlSysEx out = sysexWithJunk(3);
    const short count = UMessageTemplate::CompileSysxStr(LStr255(row.text), out);
    ASSERT_GT(count, 0);
    EXPECT_EQ(CMidiChk::CheckFull(out.msg, count), row.wellFormed);
  }
}

// ---------------------------------------------------------------------------------------------
// Free-message compiler

struct FreeRow {
  const char* name;
  std::string text;
  std::uint8_t dataType;
  short result;
  Bytes msg;
  bool wellFormed = false;  // CMidiChk verdict on the compiled bytes
  std::uint8_t expectDataType = 0;
  std::uint8_t dataPos = 0;
  std::uint8_t chType = 0, chPos = 0, chHigh = 0;
};

const std::vector<FreeRow> kFreeRows = {
    {"control change with dd", "B0 07 DT", 1, 3, {0xB0, 0x07, 0x00}, true, 1, 2},
    {"pitch bend with mm ll", "E0 DT", 3, 3, {0xE0, 0x00, 0x00}, true, 3, 1},
    {"reserved bytes without status",
     "B0 07 40 DT",
     5,
     7,
     {0xB0, 0x07, 0x40, 0x00, 0x00, 0x00, 0x00},
     false,
     5,
     3},
    {"lone digit at the end", "C0 5", 1, 2, {0xC0, 0x05}, true},
    {"lower case", "b0 07 dt", 1, 3, {0xB0, 0x07, 0x00}, true, 1, 2},
    {"channel byte", "90 3x 7f", 1, 3, {0x90, 0x00, 0x7F}, true, 0, 0, 1, 1, 3},
    {"bytes after F7", "f0 01 f7 c0 05", 1, 5, {0xF0, 0x01, 0xF7, 0xC0, 0x05}, true},
    {"single status digit", "F", 0, 1, {0x0F}, false},
    {"24 bytes fit", "F0" + zeros(22) + " F7", 0, 24, {}, true},
    {"24 bytes ending in DT fit", "B0" + zeros(21) + " DT", 3, 24, {}, false, 3, 22},
    {"empty text", "", 1, 0, {}},
    {"only blanks", "    ", 1, 0, {}},
    // errors
    {"DT alone with format 0", "DT", 0, kBadStructure, {}},
    {"DT with format 0", "B0 07 DT", 0, kBadStructure, {}},
    {"data byte first", "07 B0", 1, kBadStructure, {}},
    {"not a digit first", "G0", 1, kBadStructure, {}},
    {"channel digit above 7", "9N 40", 1, kBadStructure, {}},
    {"no checksum tokens", "B0 SS 07", 1, kBadCharacter, {}},
    {"S1 is no token either", "B0 07 S1", 1, kBadCharacter, {}},
    {"DT twice", "B0 DT DT", 1, kBadStructure, {}},
    {"25 bytes", "B0" + zeros(24), 1, kTooLong, {}},
    {"lone digit as the 25th byte", "B0" + zeros(23) + " 5", 1, kTooLong, {}},
    {"DT beyond 24 bytes", "B0" + zeros(20) + " DT", 5, kTooLong, {}},
};

TEST(CompileMsgStr, Table) {
  for (const FreeRow& row : kFreeRows) {
    SCOPED_TRACE(row.name);
    SPrmPatCtrlSysExFree out = freeWithJunk(row.dataType);
    const short result = UMessageTemplate::CompileMsgStr(LStr255(row.text), out);
    ASSERT_EQ(result, row.result) << row.text;
    if (result < 0) continue;
    EXPECT_EQ(out.msgLen, result);
    EXPECT_TRUE(zeroBehind(out.msg, result));
    EXPECT_EQ(CMidiChk::CheckFull(out.msg, result), row.wellFormed);
    if (!row.msg.empty()) {
      EXPECT_EQ(messageBytes(out.msg, result), row.msg);
    }
    EXPECT_EQ(out.info.dataType, row.expectDataType);
    EXPECT_EQ(out.info.dataPos, row.dataPos);
    EXPECT_EQ(out.chType, row.chType);
    EXPECT_EQ(out.chPos, row.chPos);
    EXPECT_EQ(out.chHigh, row.chHigh);
  }
}

// ---------------------------------------------------------------------------------------------
// Printing

TEST(MakeSysxStr, ChecksumExampleInBothForms) {
  SPrmPatCtrlSysEx payload = sysexWithJunk(1);
  ASSERT_EQ(UMessageTemplate::CompileSysxStr(LStr255("f0 7d 01 02 SS 40 00 DT S1 f7"), payload), 9);
  EXPECT_EQ(makeSysx(payload, false), "F0 7D 01 02 SS 40 00 DT S1 F7");
  EXPECT_EQ(makeSysx(payload, true), "F0 7D 01 02 CSS 40 00 dd CS1 F7");
}

TEST(MakeSysxStr, ChannelPrintsLowerCaseInBothForms) {
  SPrmPatCtrlSysEx payload = sysexWithJunk(3);
  ASSERT_EQ(UMessageTemplate::CompileSysxStr(LStr255("F0 7D 1N 01 DT F7"), payload), 7);
  EXPECT_EQ(makeSysx(payload, false), "F0 7D 1n 01 DT F7");
  EXPECT_EQ(makeSysx(payload, true), "F0 7D 1n 01 mm ll F7");
}

TEST(MakeSysxStr, ListFormTokenOfEveryFormat) {
  struct Row {
    std::uint8_t dataType;
    const char* list;
  };
  const Row rows[] = {{1, "F0 dd F7"},
                      {2, "F0 d1 d2 F7"},
                      {3, "F0 mm ll F7"},
                      {4, "F0 ll mm F7"},
                      {5, "F0 d1 d2 d3 d4 F7"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.list);
    SPrmPatCtrlSysEx payload = sysexWithJunk(row.dataType);
    ASSERT_GT(UMessageTemplate::CompileSysxStr(LStr255("F0 DT F7"), payload), 0);
    EXPECT_EQ(makeSysx(payload, true), row.list);
    EXPECT_EQ(makeSysx(payload, false), "F0 DT F7");
  }
}

TEST(MakeSysxStr, SecondChecksumKindAndChannelX) {
  SPrmPatCtrlSysEx payload = sysexWithJunk(0);
  ASSERT_EQ(UMessageTemplate::CompileSysxStr(LStr255("F0 SS 7x 01 S2 F7"), payload), 5);
  EXPECT_EQ(makeSysx(payload, false), "F0 SS 7x 01 S2 F7");
  EXPECT_EQ(makeSysx(payload, true), "F0 CSS 7x 01 CS2 F7");
}

TEST(MakeSysxStr, WithoutF7ItStopsAfter24Bytes) {
  SPrmPatCtrlSysEx payload{};
  std::string expected = "00";
  for (int i = 1; i < 24; ++i) expected += " 00";
  EXPECT_EQ(makeSysx(payload, false), expected);
}

TEST(MakeSysxStr, DataRunningPastTheEndReadsNothingBeyondTheMessage) {
  // A received record may carry any positions; the walk must stay inside msg.
  SPrmPatCtrlSysEx payload{};
  payload.info.dataType = 5;
  payload.info.dataPos = 22;
  std::string text = makeSysx(payload, true);
  EXPECT_TRUE(text.ends_with("00 00 d1 d2 d3 d4")) << text;
}

TEST(MakeMsgStr, Forms) {
  SPrmPatCtrlSysExFree payload = freeWithJunk(2);
  ASSERT_EQ(UMessageTemplate::CompileMsgStr(LStr255("b0 07 dt 7n f7 00"), payload), 7);
  EXPECT_EQ(makeMsg(payload, false), "B0 07 DT 7n F7 00");
  EXPECT_EQ(makeMsg(payload, true), "B0 07 d1 d2 7n F7 00") << "no stop at F7";
}

TEST(MakeMsgStr, EmptyAndOverlongMessages) {
  SPrmPatCtrlSysExFree payload{};
  EXPECT_EQ(makeMsg(payload, false), "");
  payload.msgLen = 200;  // damaged: at most the 24 stored bytes are printed
  payload.msg[23] = 0xAB;
  std::string text = makeMsg(payload, false);
  EXPECT_EQ(text.size(), 24u * 3 - 1);
  EXPECT_TRUE(text.ends_with("00 AB"));
}

// ---------------------------------------------------------------------------------------------
// Round trips: compile, print in edit form, compile again.

struct RoundTripRow {
  const char* text;
  std::uint8_t dataType;
  const char* editForm;
};

TEST(CompileSysxStr, RoundTripsThroughTheEditForm) {
  const RoundTripRow rows[] = {
      {"f0 7d 01 02 SS 40 00 DT S1 f7", 1, "F0 7D 01 02 SS 40 00 DT S1 F7"},
      {"F07D1N01DTF7", 3, "F0 7D 1n 01 DT F7"},
      {"f0 7d01 ss 4 0 dt s2 f7", 5, "F0 7D 01 SS 04 00 DT S2 F7"},
      {"F0 SS 3x DT S1 F7", 4, "F0 SS 3x DT S1 F7"},
      {"F0 41 10 42 12 SS 40 00 7F DT S2 F7", 2, "F0 41 10 42 12 SS 40 00 7F DT S2 F7"},
      {"F0 7F 7F 04 01 DT F7", 3, "F0 7F 7F 04 01 DT F7"},
      {"  F0  F7 ", 1, "F0 F7"},
  };
  for (const RoundTripRow& row : rows) {
    SCOPED_TRACE(row.text);
    SPrmPatCtrlSysEx first = sysexWithJunk(row.dataType);
    const short count = UMessageTemplate::CompileSysxStr(LStr255(row.text), first);
    ASSERT_GT(count, 0);
    const std::string printed = makeSysx(first, false);
    EXPECT_EQ(printed, row.editForm);

    SPrmPatCtrlSysEx second = sysexWithJunk(first.info.dataType);
    EXPECT_EQ(UMessageTemplate::CompileSysxStr(LStr255(printed), second), count);
    second.info.minValue = first.info.minValue;
    second.info.maxValue = first.info.maxValue;
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
  }
}

TEST(CompileMsgStr, RoundTripsThroughTheEditForm) {
  const RoundTripRow rows[] = {
      {"b0 07 dt", 1, "B0 07 DT"},
      {"E0DT", 3, "E0 DT"},
      {"c0 5", 1, "C0 05"},
      {"90 3x 7f 80 30 00", 1, "90 3x 7F 80 30 00"},
      {"B0 63 01 B0 62 02 B0 06 DT", 5, "B0 63 01 B0 62 02 B0 06 DT"},
      {"", 1, ""},
  };
  for (const RoundTripRow& row : rows) {
    SCOPED_TRACE(row.text);
    SPrmPatCtrlSysExFree first = freeWithJunk(row.dataType);
    const short count = UMessageTemplate::CompileMsgStr(LStr255(row.text), first);
    ASSERT_GE(count, 0);
    const std::string printed = makeMsg(first, false);
    EXPECT_EQ(printed, row.editForm);

    SPrmPatCtrlSysExFree second = freeWithJunk(first.info.dataType);
    EXPECT_EQ(UMessageTemplate::CompileMsgStr(LStr255(printed), second), count);
    second.info.minValue = first.info.minValue;
    second.info.maxValue = first.info.maxValue;
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
  }
}

// ---------------------------------------------------------------------------------------------
// Random texts: never a result outside the table, and every text that compiles prints back to
// a text that compiles to the same payload.

// Pieces of SysEx texts, and whole messages (plus some junk) for free texts.
const std::vector<std::string> kSysexPieces = {"F0", "F7", "00", "7D", "41", "B0", "C0", "DT", "SS",
                                               "S1", "S2", "3N", "5x", "9n", "7",  "a",  " ",  "  ",
                                               "G",  "N",  "s",  "dt", "f7", "0",  "E0", "8"};
const std::vector<std::string> kFreePieces = {
    "B0 07 DT", "C0 5",     "9x 40 7F",          "E0DT", "f0 7d 01 f7", "F8", "b0 0a 40",
    "D0 DT",    "A0 3C 10", "B0 63 00 B0 62 01", "C",    "SS",          "DT", "7",
    " ",        "1n"};

std::string randomText(std::mt19937& random, const std::vector<std::string>& pieces, bool framed) {
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> length(0, framed ? 30 : 6);
  std::string text = framed ? "F0 " : "";
  for (int i = length(random); i > 0; --i) {
    text += pieces[pick(random)];
    if (random() % 2 == 0) text += ' ';
  }
  if (framed) text += " F7";
  return text;
}

TEST(CompileSysxStr, RandomTextsCompileOrFailCleanly) {
  std::mt19937 random(20240611);
  int compiled = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomText(random, kSysexPieces, round % 4 != 0);
    SPrmPatCtrlSysEx first = sysexWithJunk(static_cast<std::uint8_t>(round % 6));
    const short count = UMessageTemplate::CompileSysxStr(LStr255(text), first);
    ASSERT_GE(count, kBadStructure) << text;
    ASSERT_LE(count, UMessageTemplate::kMaxMessageBytes) << text;
    if (count <= 0) continue;
    ++compiled;
    EXPECT_TRUE(zeroBehind(first.msg, count)) << text;
    const std::string printed = makeSysx(first, false);
    SPrmPatCtrlSysEx second = sysexWithJunk(first.info.dataType);
    ASSERT_EQ(UMessageTemplate::CompileSysxStr(LStr255(printed), second), count)
        << text << " printed as " << printed;
    second.info.minValue = first.info.minValue;
    second.info.maxValue = first.info.maxValue;
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0) << text << " printed as " << printed;
  }
  EXPECT_GT(compiled, 500) << "the generator must reach valid texts";
}

TEST(CompileMsgStr, RandomTextsCompileOrFailCleanly) {
  std::mt19937 random(4711);
  int compiled = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomText(random, kFreePieces, false);
    SPrmPatCtrlSysExFree first = freeWithJunk(static_cast<std::uint8_t>(round % 6));
    const short count = UMessageTemplate::CompileMsgStr(LStr255(text), first);
    ASSERT_GE(count, kBadStructure) << text;
    ASSERT_LE(count, UMessageTemplate::kMaxMessageBytes) << text;
    // Only messages the panel accepts need to survive printing: a lone status digit such as
    // "8" compiles to the data byte 08, which the MIDI check refuses.
    if (count <= 0 || !CMidiChk::CheckFull(first.msg, count)) continue;
    ++compiled;
    const std::string printed = makeMsg(first, false);
    SPrmPatCtrlSysExFree second = freeWithJunk(first.info.dataType);
    ASSERT_EQ(UMessageTemplate::CompileMsgStr(LStr255(printed), second), count)
        << text << " printed as " << printed;
    second.info.minValue = first.info.minValue;
    second.info.maxValue = first.info.maxValue;
    EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0) << text << " printed as " << printed;
  }
  EXPECT_GT(compiled, 500) << "the generator must reach valid texts";
}

TEST(MakeSysxStr, AnyPayloadPrintsWithinBounds) {
  // Records from the device or a file may hold anything.
  std::mt19937 random(99);
  for (int round = 0; round < 5000; ++round) {
    SPrmPatCtrlSysEx sysex;
    SPrmPatCtrlSysExFree free;
    for (std::size_t i = 0; i < sizeof sysex; ++i) {
      reinterpret_cast<std::uint8_t*>(&sysex)[i] = static_cast<std::uint8_t>(random());
    }
    for (std::size_t i = 0; i < sizeof free; ++i) {
      reinterpret_cast<std::uint8_t*>(&free)[i] = static_cast<std::uint8_t>(random());
    }
    const std::string sysexText = makeSysx(sysex, round % 2 == 0);
    const std::string freeText = makeMsg(free, round % 2 == 0);
    EXPECT_LE(sysexText.size(), 24u * 4 + 12);
    EXPECT_LE(freeText.size(), 24u * 4 + 12);
  }
}

}  // namespace

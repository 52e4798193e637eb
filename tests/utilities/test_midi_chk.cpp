#include "utilities/CMidiChk.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kIncomplete = CMidiChk::kIncomplete;
constexpr int kMalformed = CMidiChk::kMalformed;

struct ChkRow {
  const char* name;
  Bytes bytes;  // held on the heap at exactly this size, so a read past the end is caught
  int length;   // ChkData at offset 0
};

const std::vector<ChkRow> kChkRows = {
    // three-byte channel messages
    {"note on", {0x90, 0x40, 0x7F}, 3},
    {"note off", {0x80, 0x40, 0x00}, 3},
    {"poly pressure", {0xA5, 0x40, 0x10}, 3},
    {"control change", {0xB0, 0x07, 0x64}, 3},
    {"pitch bend", {0xEF, 0x00, 0x40}, 3},
    {"note on, third byte missing", {0x90, 0x40}, kIncomplete},
    {"note on, status alone", {0x90}, kIncomplete},
    {"note on, status as second byte", {0x90, 0x80, 0x7F}, kMalformed},
    {"control change, status as third byte", {0xB0, 0x07, 0xF7}, kMalformed},
    {"three-byte message followed by more", {0xB0, 0x07, 0x64, 0x90}, 3},
    // two-byte channel messages
    {"program change", {0xC0, 0x05}, 2},
    {"channel pressure", {0xDF, 0x7F}, 2},
    {"program change alone", {0xC0}, kIncomplete},
    {"program change with status", {0xC0, 0x80}, kMalformed},
    // system exclusive
    {"shortest SysEx", {0xF0, 0xF7}, 2},
    {"SysEx with body", {0xF0, 0x7D, 0x01, 0x02, 0xF7}, 5},
    {"SysEx followed by more", {0xF0, 0x7D, 0xF7, 0x90}, 3},
    {"SysEx start alone", {0xF0}, kIncomplete},
    {"SysEx without end", {0xF0, 0x7D, 0x01}, kIncomplete},
    {"SysEx broken by a status", {0xF0, 0x7D, 0x90, 0xF7}, kMalformed},
    {"SysEx broken by realtime", {0xF0, 0x7D, 0xF8, 0xF7}, kMalformed},
    // system common
    {"quarter frame", {0xF1, 0x10}, 2},
    {"quarter frame alone", {0xF1}, kIncomplete},
    {"song select", {0xF3, 0x02}, 2},
    {"song select with status", {0xF3, 0x80}, kMalformed},
    {"song position", {0xF2, 0x00, 0x10}, 3},
    {"song position short", {0xF2, 0x00}, kIncomplete},
    {"song position with status", {0xF2, 0x00, 0xFF}, kMalformed},
    // single bytes
    {"tune request", {0xF6}, 1},
    {"clock", {0xF8}, 1},
    {"start", {0xFA}, 1},
    {"continue", {0xFB}, 1},
    {"stop", {0xFC}, 1},
    {"reset", {0xFF}, 1},
    {"undefined F4", {0xF4}, kMalformed},
    {"undefined F5", {0xF5}, kMalformed},
    {"stray end of exclusive", {0xF7}, kMalformed},
    {"undefined F9", {0xF9}, kMalformed},
    {"undefined FD", {0xFD}, kMalformed},
    {"active sensing FE", {0xFE}, kMalformed},
    // data bytes first
    {"data byte 00 first", {0x00, 0x40}, kMalformed},
    {"data byte 7F first", {0x7F}, kMalformed},
    {"no bytes", {}, kIncomplete},
};

TEST(CMidiChk, ChkDataByStatusClass) {
  for (const ChkRow& row : kChkRows) {
    SCOPED_TRACE(row.name);
    const Bytes heap = row.bytes;
    EXPECT_EQ(CMidiChk::ChkData(heap.data(), static_cast<int>(heap.size())), row.length);
  }
}

TEST(CMidiChk, PartsAgreeWithChkData) {
  const Bytes noteOn = {0x90, 0x40, 0x7F};
  EXPECT_EQ(CMidiChk::Chk3Byte(noteOn.data(), 3), 3);
  EXPECT_EQ(CMidiChk::Chk3Byte(noteOn.data(), 2), kIncomplete);
  EXPECT_EQ(CMidiChk::Chk2Byte(noteOn.data(), 2), 2);
  EXPECT_EQ(CMidiChk::Chk2Byte(noteOn.data(), 1), kIncomplete);
  const Bytes sysex = {0xF0, 0x01, 0xF7};
  EXPECT_EQ(CMidiChk::ChkSysMes(sysex.data(), 3), 3);
  EXPECT_EQ(CMidiChk::ChkSysMes(sysex.data(), 2), kIncomplete) << "the count limits the search";
}

TEST(CMidiChk, NothingToReadIsIncomplete) {
  const std::uint8_t byte = 0x90;
  EXPECT_EQ(CMidiChk::ChkData(&byte, 0), kIncomplete);
  EXPECT_EQ(CMidiChk::ChkData(&byte, -5), kIncomplete);
  EXPECT_EQ(CMidiChk::ChkData(nullptr, 3), kIncomplete);
  EXPECT_EQ(CMidiChk::ChkSysMes(&byte, 0), kIncomplete);
}

struct FullRow {
  const char* name;
  Bytes bytes;
  bool wellFormed;
};

const std::vector<FullRow> kFullRows = {
    {"one SysEx", {0xF0, 0xF7}, true},
    {"SysEx template with data", {0xF0, 0x7D, 0x01, 0x02, 0x40, 0x00, 0x00, 0x00, 0xF7}, true},
    {"control change", {0xB0, 0x07, 0x00}, true},
    {"a series", {0x90, 0x40, 0x7F, 0xC0, 0x05, 0xF8, 0xF0, 0x01, 0xF7, 0xE0, 0x00, 0x40}, true},
    {"SysEx with a status inside", {0xF0, 0x90, 0xF7}, false},
    {"zero bytes after a complete message", {0xB0, 0x07, 0x40, 0x00, 0x00, 0x00, 0x00}, false},
    {"last message incomplete", {0x90, 0x40, 0x7F, 0x90, 0x40}, false},
    {"undefined status at the end", {0xC0, 0x05, 0xF4}, false},
    {"data byte only", {0x05}, false},
    {"empty", {}, false},
};

TEST(CMidiChk, CheckFull) {
  for (const FullRow& row : kFullRows) {
    SCOPED_TRACE(row.name);
    const Bytes heap = row.bytes;
    EXPECT_EQ(CMidiChk::CheckFull(heap.data(), static_cast<int>(heap.size())), row.wellFormed);
  }
}

TEST(CMidiChk, CheckFullRefusesNegativeCounts) {
  const Bytes bytes = {0xF8};
  EXPECT_TRUE(CMidiChk::CheckFull(bytes.data(), 1));
  EXPECT_FALSE(CMidiChk::CheckFull(bytes.data(), -1));
  EXPECT_FALSE(CMidiChk::CheckFull(nullptr, 1));
}

}  // namespace

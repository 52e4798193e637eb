// The shape and content of what kvx info, dump and html print.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "cli/KvxRunner.h"
#include "document/CPatch.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"

namespace kvxcli {
namespace {

const char* const kDescriptors[kControllerCount] = {
    "R1", "R2", "R3", "R4", "R5", "R6", "R7", "R8", "R9",   "S1",  "S2", "S3", "S4",
    "S5", "S6", "S7", "S8", "S9", "A1", "A2", "A3", "A4",   "A5",  "A6", "A7", "A8",
    "A9", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8",   "B9",  "C1", "C2", "C3",
    "H1", "H2", "L1", "L2", "L3", "L4", "P1", "P2", "BEND", "MOD", "AFT"};

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

TEST(KvxInfo, TitleThenOneLinePerControllerWithCaptionAndName) {
  const SRun run = RunKvx({"info", ExamplePatch("synth-setup").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 51u);
  EXPECT_EQ(lines[0], "Synth Set-up");
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(kDescriptors[index]);
    const std::vector<std::string> fields = SplitTabs(lines[index + 1]);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], kDescriptors[index]);
  }
  struct SRow {
    long index;
    const char* line;
  };
  const SRow rows[] = {
      {0, "R1\tCC 74:1\tCutoff"},      {9, "S1\tCC 7:1\tVolume"},
      {18, "A1\tNT 36:10\tKick"},      {36, "C1\tPC Inc.\tProgram Up"},
      {47, "BEND\tFREE\tPitch Bend"},  {48, "MOD\tCC 1:1\tModulation"},
      {49, "AFT\tCAf :1\tAftertouch"},
  };
  for (const SRow& row : rows) EXPECT_EQ(lines[row.index + 1], row.line);
}

TEST(KvxInfo, UnassignedControllersShowNAAndNoName) {
  const SRun run = RunKvx({"info", ExamplePatch("templates").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 51u);
  EXPECT_EQ(lines[15 + 1], "S7\tN/A\t");
  EXPECT_EQ(lines[18 + 1], "A1\tSysEx.\tGM System On");
  EXPECT_EQ(lines[21 + 1], "A4\tFA\tStart");
  EXPECT_EQ(lines[25 + 1], "A8\tBnk 0/0, PC 41:10\tBrush Kit");
}

TEST(KvxInfo, TextsBecomeUTF8AndStayOnTheirLine) {
  StTempFolder folder;
  CPatch patch;
  Str255 title;
  LString::FromStd("Caf\x8E\r\nNight", title);  // Café, a line break, Night
  patch.SetPatchTitle(title);
  SPatchParam& r1 = *patch.GetParam(0);
  r1.msgType = msgType_CC;
  r1.data[0] = 74;
  LString::FromStd("Cut\toff \xDB", r1.name, sizeof r1.name);  // a tab and a euro sign
  ASSERT_EQ(patch.SaveSMF(FSSpec::FromPath(folder / "texts.mid")), 0);

  const SRun run = RunKvx({"info", (folder / "texts.mid").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 51u);
  EXPECT_EQ(lines[0], "Caf\xC3\xA9  Night");
  EXPECT_EQ(lines[1], "R1\tCC 74:1\tCut off \xE2\x82\xAC");
}

TEST(KvxDump, FiftyLinesOfTheBulkDumpsInHex) {
  const std::string file = ExamplePatch("templates").string();
  const SRun run = RunKvx({"dump", file});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 50u);

  CPatch patch;
  ASSERT_EQ(patch.LoadSMF(FSSpec::FromPath(file)), 0);
  const std::regex shape("([0-9A-F]{2} ){140}[0-9A-F]{2}");
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_TRUE(std::regex_match(lines[index], shape)) << lines[index];
    unsigned char dump[kBulkDumpSize];
    ASSERT_EQ(patch.MakeBulkSysx(index, dump), kBulkDumpSize);
    std::string expected;
    for (unsigned char byte : dump) {
      char pair[4];
      std::snprintf(pair, sizeof pair, "%02X ", byte);
      expected += pair;
    }
    expected.pop_back();
    EXPECT_EQ(lines[index], expected);
  }
}

TEST(KvxDump, VolumeOnS1HasTheKnownBytes) {
  const SRun run = RunKvx({"dump", ExamplePatch("synth-setup").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = SplitLines(run.out);
  ASSERT_EQ(lines.size(), 50u);
  // CC 7, 0..127 on channel 1: address 00 00 09 00, then msgType, isEncoder, options, port,
  // channel and the payload 07 00 7F as nibbles; the rest zero; checksum 53.
  const std::string start =
      "F0 7D 10 00 00 5C 12 00 00 09 00 00 07 00 00 00 00 00 00 00 00 00 07 00 00 07 0F";
  EXPECT_EQ(lines[9].substr(0, start.size()), start);
  EXPECT_EQ(lines[9].substr(lines[9].size() - 5), "53 F7");
}

TEST(KvxHtml, StandardOutputAndFileHoldTheSamePage) {
  StTempFolder folder;
  const std::string patch = ExamplePatch("templates").string();
  const SRun toStdout = RunKvx({"html", patch});
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  const SRun toFile = RunKvx({"html", patch, "-o", (folder / "list.html").string()});
  ASSERT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_TRUE(toFile.out.empty());
  const std::string page = ReadText(folder / "list.html");
  EXPECT_EQ(toStdout.out, page);
  EXPECT_EQ(page.rfind("<HTML>\r\n", 0), 0u);
  EXPECT_NE(page.find("SysEx and Free Templates PARAMETER LIST"), std::string::npos);
  EXPECT_NE(page.find("F0 43 1n 4C 08 00 18 dd F7"), std::string::npos);
}

}  // namespace
}  // namespace kvxcli

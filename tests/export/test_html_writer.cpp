#include "document/CPatch.h"
#include "export/CHTMLWriter.h"
#include "export/CTextOut.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LException.h"
#include "framework/core/LString.h"
#include "support/StFileSizeLimit.h"
#include "support/StTempFolder.h"
#include "utilities/UMessageTemplate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kvxtest::StFileSizeLimit;
using kvxtest::StTempFolder;

// ---------------------------------------------------------------------------------------------
// Building records and the expected document

// Controller indexes used below.
constexpr long kR1 = 0, kR2 = 1, kR3 = 2, kR4 = 3, kS1 = 9, kS9 = 17, kA1 = 18, kA2 = 19, kB1 = 27,
               kB9 = 35, kC1 = 36, kH1 = 39, kBend = 47, kAft = 49;

SPatchParam record(std::uint8_t msgType, std::initializer_list<std::uint8_t> data,
                   std::uint8_t channel = 0, std::uint8_t port = 0, std::uint8_t options = 0,
                   std::string_view name = {}) {
  SPatchParam param{};
  param.msgType = msgType;
  param.channel = channel;
  param.outputPort = port;
  param.options = options;
  std::copy(data.begin(), data.end(), param.data);
  LString::FromStd(name, param.name, sizeof param.name);
  return param;
}

SPatchParam sysexRecord(const char* text, std::uint8_t dataType, std::uint8_t lo, std::uint8_t hi,
                        std::uint8_t port = 0, std::uint8_t options = 0) {
  SPrmPatCtrlSysEx payload{};
  payload.info = {dataType, 0, lo, hi};
  EXPECT_GT(UMessageTemplate::CompileSysxStr(LStr255(text), payload), 0) << text;
  SPatchParam param = record(20, {}, 0, port, options);
  std::memcpy(param.data, &payload, sizeof payload);
  return param;
}

SPatchParam freeRecord(const char* text, std::uint8_t dataType, std::uint8_t lo, std::uint8_t hi,
                       std::uint8_t options = 0) {
  SPrmPatCtrlSysExFree payload{};
  payload.info = {dataType, 0, lo, hi};
  EXPECT_GT(UMessageTemplate::CompileMsgStr(LStr255(text), payload), 0) << text;
  SPatchParam param = record(22, {}, 0, 0, options);
  std::memcpy(param.data, &payload, sizeof payload);
  return param;
}

// Stores the record as it stands (as a received dump would), without normalising it.
void put(CPatch& patch, long index, const SPatchParam& param) { *patch.GetParam(index) = param; }

void setTitle(CPatch& patch, std::string_view title) {
  Str255 text;
  LString::FromStd(title, text);
  patch.SetPatchTitle(text);
}

std::string line(int tabs, std::string_view text) {
  return std::string(static_cast<std::size_t>(tabs), '\t') + std::string(text) + "\r\n";
}

// One controller row: the descriptor and the eight cells behind it.
std::string row(std::string_view descriptor, const std::array<std::string, 8>& cells) {
  std::string text = line(2, "<TR>") + line(3, "<TH>" + std::string(descriptor) + "</TH>");
  for (const std::string& cell : cells) text += line(3, "<TD>" + cell + "</TD>");
  return text + line(2, "</TR>");
}

const std::string kNoAssign = R"(<FONT color="gray">NO ASSIGN</FONT>)";

std::string noAssignRow(std::string_view descriptor) {
  return row(descriptor, {"-", kNoAssign, "-", "-", "-", "-", "-", "-"});
}

const char* const kDescriptors[kControllerCount] = {
    "R1", "R2", "R3", "R4", "R5", "R6", "R7", "R8", "R9",   "S1",  "S2", "S3", "S4",
    "S5", "S6", "S7", "S8", "S9", "A1", "A2", "A3", "A4",   "A5",  "A6", "A7", "A8",
    "A9", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8",   "B9",  "C1", "C2", "C3",
    "H1", "H2", "L1", "L2", "L3", "L4", "P1", "P2", "BEND", "MOD", "AFT"};

// The whole document around the given rows (controllers missing from `rows` are unassigned).
std::string document(std::string_view title,
                     const std::vector<std::pair<long, std::string>>& rows) {
  std::string text = line(0, "<HTML>") + line(1, "<HEAD>") +
                     line(2, R"(<META http-equiv="Content-Type" )"
                             R"(content="text/html; charset=macintosh">)") +
                     line(2, "<TITLE>" + std::string(title) + " PARAMETER LIST</TITLE>") +
                     line(1, "</HEAD>") + line(1, "<BODY>") +
                     line(2, "<H3>" + std::string(title) + " PARAMETER LIST</H3>") +
                     line(2, R"(<TABLE border="1" cellspacing="0">)") + line(2, "<TR>");
  for (const char* header :
       {"-", "PARAMETER", "OUTPUT MESSAGE", "RANGE", "CH", "PORT", "BUTTON", "AFT", "C.Click"}) {
    text += line(3, std::string("<TH>") + header + "</TH>");
  }
  text += line(2, "</TR>");
  for (long index = 0; index < kControllerCount; ++index) {
    auto given = std::find_if(rows.begin(), rows.end(),
                              [index](const auto& entry) { return entry.first == index; });
    text += given != rows.end() ? given->second : noAssignRow(kDescriptors[index]);
  }
  return text + line(2, "</TABLE>") + line(1, "</BODY>") + line(0, "</HTML>");
}

std::string listOf(CPatch& patch) {
  CHTMLWriter writer(&patch);
  std::string html;
  EXPECT_EQ(writer.OutputToMemory(html), noErr);
  return html;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

// ---------------------------------------------------------------------------------------------
// The whole document

// A small patch with one edge case per assignment; every other controller is unassigned.
void fillSmallPatch(CPatch& patch) {
  setTitle(patch, "Demo Set");
  put(patch, kR1, record(7, {7, 0, 127}, 0, 0, 0x04, "Volume"));
  put(patch, kR2, record(10, {0, 127}, 1, 1));
  put(patch, kR3, sysexRecord("F0 7D 10 DT F7", 5, 64, 64, 2, 0x04));
  put(patch, kS1, record(1, {60, 100, 2}, 0, 0, 0x01));
  put(patch, kA1, record(1, {60, 127, 2}, 9, 0, 0x01));
  put(patch, kA2, record(7, {64, 0, 127}, 0, 0, 0x04));
  put(patch, kB1, record(24, {}, 0, 1));
  put(patch, kBend, record(15, {1, 0, 0, 0, 2}));
}

TEST(CHTMLWriter, SmallPatchByteForByte) {
  CPatch patch;
  fillSmallPatch(patch);
  const std::string expected = document(
      "Demo Set",
      {
          {kR1, row("R1", {"Volume", "CC 7(07)", "0(00) - 127(7F)", "1", "1", "-", "-", "1"})},
          {kR2, row("R2", {"-", "PROGRAM CHANGE", "1(00) - 128(7F)", "2", "2", "-", "-", "-"})},
          {kR3, row("R3", {"-", "F0 7D 10 d1 d2 d3 d4 F7", "-64(07/0F/0C/00) - 64(08/00/04/00)",
                           "-", "1+2", "-", "-", "1"})},
          {kS1, row("S1", {"-", "NOTE 60(3C)", "0(00) / 100(64)", "1", "1", "-", "-", "-"})},
          {kA1, row("A1", {"-", "NOTE 60(3C)", "0(00) / 127(7F)", "10", "1", "2", "2", "-"})},
          {kA2, row("A2", {"-", "CC 64(40)", "0(00) / 127(7F)", "1", "1", "1", "-", "-"})},
          {kB1, row("B1", {"-", "TEMPO", "-", "-", "-", "1", "-", "-"})},
          {kBend,
           row("BEND", {"-", "RPN 0/0(00/00)", "0(00/00) - 383(02/7F)", "1", "1", "-", "-", "-"})},
      });
  EXPECT_EQ(listOf(patch), expected);
}

TEST(CHTMLWriter, EmptyPatchHasEmptyTitleLineAndNoAssignRows) {
  CPatch patch;
  const std::string html = listOf(patch);
  EXPECT_EQ(html, document("", {}));
  EXPECT_NE(html.find("\r\n\t\t<TITLE> PARAMETER LIST</TITLE>\r\n"), std::string::npos);
  EXPECT_NE(html.find("\r\n\t\t<H3> PARAMETER LIST</H3>\r\n"), std::string::npos);
}

TEST(CHTMLWriter, FileAndMemoryOutputAreTheSame) {
  CPatch patch;
  fillSmallPatch(patch);
  StTempFolder folder;
  const fs::path target = folder.Path() / "list.html";
  CHTMLWriter writer(&patch);
  ASSERT_EQ(writer.OutputFile(FSSpec::FromPath(target)), noErr);
  EXPECT_EQ(readFile(target), listOf(patch));
  EXPECT_EQ(folder.EntryCount(), 1u) << "no temporary file is left behind";
}

TEST(CHTMLWriter, MemoryOutputAppends) {
  CPatch patch;
  std::string html = "<!-- before -->";
  CHTMLWriter writer(&patch);
  ASSERT_EQ(writer.OutputToMemory(html), noErr);
  EXPECT_EQ(html, "<!-- before -->" + document("", {}));
}

TEST(CHTMLWriter, NullPatchIsRefused) {
  try {
    CHTMLWriter writer(nullptr);
    FAIL() << "a writer without a patch was made";
  } catch (const LException& error) {
    EXPECT_EQ(error.GetErrorCode(), err_AssertFailed);
  }
}

// ---------------------------------------------------------------------------------------------
// Cells of each message kind

struct CellRow {
  const char* name;
  long index;
  SPatchParam param;
  std::array<std::string, 8> cells;  // PARAMETER .. C.Click
};

std::vector<CellRow> cellRows() {
  return {
      {"no assignment", kR1, record(0, {}), {"-", kNoAssign, "-", "-", "-", "-", "-", "-"}},
      {"no assignment keeps its name",
       kR1,
       record(0, {}, 3, 1, 0x07, "Spare"),
       {"Spare", kNoAssign, "-", "-", "-", "-", "-", "-"}},
      {"unknown code shows as no assignment",
       kA1,
       record(31, {1, 2, 3}, 0, 1, 0x07),
       {"-", kNoAssign, "-", "-", "-", "-", "-", "-"}},
      {"CC on R1",
       kR1,
       record(7, {7, 0, 127}, 0, 0, 0x04),
       {"-", "CC 7(07)", "0(00) - 127(7F)", "1", "1", "-", "-", "1"}},
      {"CC on A1: slash, no C.Click",
       kA1,
       record(7, {7, 0, 127}, 0, 0, 0x04),
       {"-", "CC 7(07)", "0(00) / 127(7F)", "1", "1", "1", "-", "-"}},
      {"CC alternate code",
       kR1,
       record(8, {7, 0, 127}, 15, 1, 0x04),
       {"-", "CC 7(07)", "0(00) - 127(7F)", "16", "2", "-", "-", "1"}},
      {"CC without C.Click flag",
       kR1,
       record(7, {1, 10, 20}),
       {"-", "CC 1(01)", "10(0A) - 20(14)", "1", "1", "-", "-", "-"}},
      {"C.Click on S9, the last that carries it",
       kS9,
       record(7, {1, 10, 20}, 0, 0, 0x04),
       {"-", "CC 1(01)", "10(0A) - 20(14)", "1", "1", "-", "-", "1"}},
      {"C.Click only up to S9",
       kH1,
       record(7, {1, 10, 20}, 0, 0, 0x04),
       {"-", "CC 1(01)", "10(0A) - 20(14)", "1", "1", "-", "-", "-"}},
      {"port byte out of range",
       kR1,
       record(7, {7, 0, 127}, 0, 3),
       {"-", "CC 7(07)", "0(00) - 127(7F)", "1", "", "-", "-", "-"}},
      {"Note on A1 with AFT 2, mode 1",
       kA1,
       record(1, {60, 100, 2}, 0, 0, 0x01),
       {"-", "NOTE 60(3C)", "0(00) / 100(64)", "1", "1", "2", "2", "-"}},
      {"the same Note on S1",
       kS1,
       record(1, {60, 100, 2}, 0, 0, 0x01),
       {"-", "NOTE 60(3C)", "0(00) / 100(64)", "1", "1", "-", "-", "-"}},
      {"Note alternate on B9 with AFT 1",
       kB9,
       record(2, {0, 1, 1}, 0, 2, 0x02),
       {"-", "NOTE 0(00)", "0(00) / 1(01)", "1", "1+2", "3", "1", "-"}},
      {"Note on C1 shows no AFT",
       kC1,
       record(1, {60, 100, 2}),
       {"-", "NOTE 60(3C)", "0(00) / 100(64)", "1", "1", "1", "-", "-"}},
      {"Note with AFT 3 shows none",
       kA1,
       record(1, {60, 100, 3}),
       {"-", "NOTE 60(3C)", "0(00) / 100(64)", "1", "1", "1", "-", "-"}},
      {"channel pressure",
       kR4,
       record(3, {10, 100}, 2),
       {"-", "CHANNEL PRESSURE", "10(0A) - 100(64)", "3", "1", "-", "-", "-"}},
      {"poly pressure on a button",
       kA2,
       record(6, {64, 0, 127}, 0, 0, 0x02),
       {"-", "POLY KEY PRESSURE 64(40)", "0(00) / 127(7F)", "1", "1", "3", "-", "-"}},
      {"encoder, no C.Click",
       kR1,
       record(9, {16}, 0, 0, 0x04),
       {"-", "B0 10 dd", "DEC(41) / INC(01)", "1", "1", "-", "-", "-"}},
      {"encoder on a button",
       kA1,
       record(9, {16}),
       {"-", "B0 10 dd", "DEC(41) / INC(01)", "1", "1", "1", "-", "-"}},
      {"program change range",
       kR2,
       record(10, {0, 127}),
       {"-", "PROGRAM CHANGE", "1(00) - 128(7F)", "1", "1", "-", "-", "-"}},
      {"program change on a button shows no mode",
       kA1,
       record(10, {4, 5}, 0, 0, 0x03),
       {"-", "PROGRAM CHANGE", "5(04) / 6(05)", "1", "1", "-", "-", "-"}},
      {"bank program change",
       kA1,
       record(11, {1, 2, 3, 4}),
       {"-", "PROGRAM CHANGE", "-", "1", "1", "-", "-", "-"}},
      {"fixed program",
       kR1,
       record(12, {4}),
       {"-", "PROGRAM CHANGE", "5(04)", "1", "1", "-", "-", "-"}},
      {"fixed bank and program",
       kR1,
       record(13, {1, 2, 9}),
       {"-", "PROGRAM CHANGE", "Bank:2/1(02/01)  PC:10(09)", "1", "1", "-", "-", "-"}},
      {"program increment",
       kA1,
       record(14, {0}, 5),
       {"-", "PROGRAM CHANGE", "max:128(7F)", "-", "1", "-", "-", "-"}},
      {"program decrement",
       kA1,
       record(14, {1}, 5),
       {"-", "PROGRAM CHANGE", "min:1(00)", "-", "1", "-", "-", "-"}},
      {"RPN",
       kBend,
       record(15, {1, 0, 0, 0, 2}),
       {"-", "RPN 0/0(00/00)", "0(00/00) - 383(02/7F)", "1", "1", "-", "-", "-"}},
      {"NRPN with C.Click",
       kR1,
       record(17, {0, 5, 1, 10, 20}, 0, 0, 0x04),
       {"-", "NRPN 1/5(01/05)", "1280(0A/00) - 2687(14/7F)", "1", "1", "-", "-", "1"}},
      {"NRPN alternate on a button",
       kA1,
       record(18, {0, 0x7F, 0x7F, 0, 127}),
       {"-", "NRPN 127/127(7F/7F)", "0(00/00) / 16383(7F/7F)", "1", "1", "1", "-", "-"}},
      {"realtime", kAft, record(19, {0xFA}, 4, 1), {"-", "FA", "-", "-", "2", "-", "-", "-"}},
      {"tempo ignores its port byte",
       kB1,
       record(24, {}, 0, 1),
       {"-", "TEMPO", "-", "-", "-", "1", "-", "-"}},
      {"template format 5",
       kR1,
       sysexRecord("F0 7D DT F7", 5, 64, 64),
       {"-", "F0 7D d1 d2 d3 d4 F7", "-64(07/0F/0C/00) - 64(08/00/04/00)", "-", "1", "-", "-",
        "-"}},
      {"template format 5 from 0",
       kR1,
       sysexRecord("F0 DT F7", 5, 0, 127),
       {"-", "F0 d1 d2 d3 d4 F7", "0(08/00/00/00) - 127(08/00/07/0F)", "-", "1", "-", "-", "-"}},
      {"template format 1 with checksum",
       kR1,
       sysexRecord("f0 7d 01 02 SS 40 00 DT S1 f7", 1, 5, 100, 0, 0x04),
       {"-", "F0 7D 01 02 CSS 40 00 dd CS1 F7", "5(05) - 100(64)", "-", "1", "-", "-", "1"}},
      {"template format 2",
       kR1,
       sysexRecord("F0 DT F7", 2, 1, 14),
       {"-", "F0 d1 d2 F7", "16(01/00) - 239(0E/0F)", "-", "1", "-", "-", "-"}},
      {"template format 3 on a button",
       kA1,
       sysexRecord("F0 7D 1N DT F7", 3, 0, 127, 1, 0x01),
       {"-", "F0 7D 1n mm ll F7", "0(00/00) / 16383(7F/7F)", "-", "2", "2", "-", "-"}},
      {"template format 4",
       kR1,
       sysexRecord("F0 DT F7", 4, 2, 3),
       {"-", "F0 ll mm F7", "256(00/02) - 511(7F/03)", "-", "1", "-", "-", "-"}},
      {"template without data",
       kR1,
       sysexRecord("F0 7E F7", 1, 0, 127),
       {"-", "F0 7E F7", "-", "-", "1", "-", "-", "-"}},
      {"free message",
       kR4,
       freeRecord("B0 07 DT", 1, 0, 127),
       {"-", "B0 07 dd", "0(00) - 127(7F)", "-", "1", "-", "-", "-"}},
      {"free message never shows C.Click",
       kR1,
       freeRecord("E0 DT", 3, 0, 127, 0x04),
       {"-", "E0 mm ll", "0(00/00) - 16383(7F/7F)", "-", "1", "-", "-", "-"}},
  };
}

TEST(CHTMLWriter, CellsOfEachMessageKind) {
  for (const CellRow& entry : cellRows()) {
    SCOPED_TRACE(entry.name);
    CPatch patch;
    put(patch, entry.index, entry.param);
    EXPECT_EQ(listOf(patch),
              document("", {{entry.index, row(kDescriptors[entry.index], entry.cells)}}));
  }
}

TEST(CHTMLWriter, DataFormatAboveFiveShowsNoRange) {
  CPatch patch;
  SPatchParam param = sysexRecord("F0 DT F7", 1, 0, 127);
  param.data[0] = 6;  // damaged format byte
  put(patch, kR1, param);
  EXPECT_EQ(listOf(patch),
            document("", {{kR1, row("R1", {"-", "F0 00 F7", "-", "-", "1", "-", "-", "-"})}}));
}

// ---------------------------------------------------------------------------------------------
// Texts from the patch cannot inject markup

TEST(CHTMLWriter, TitleAndNamesAreEscaped) {
  struct Row {
    const char* name;
    std::string raw;
    std::string escaped;
  };
  const Row rows[] = {
      {"script", R"(<script>alert("x")</script>)",
       "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;"},
      {"ampersand", "Rock & Roll", "Rock &amp; Roll"},
      {"entity stays literal", "&amp;", "&amp;amp;"},
      {"attribute break", R"(" onmouseover="x)", "&quot; onmouseover=&quot;x"},
      {"other bytes unchanged", "Caf\x8E 'A' \xA5", "Caf\x8E 'A' \xA5"},
  };
  for (const Row& entry : rows) {
    SCOPED_TRACE(entry.name);
    CPatch patch;
    setTitle(patch, entry.raw);
    put(patch, kR1, record(7, {7, 0, 127}, 0, 0, 0, entry.raw));
    put(patch, kA1, record(0, {}, 0, 0, 0, entry.raw));
    EXPECT_EQ(
        listOf(patch),
        document(entry.escaped,
                 {{kR1, row("R1", {entry.escaped, "CC 7(07)", "0(00) - 127(7F)", "1", "1", "-", "-",
                                   "-"})},
                  {kA1, row("A1", {entry.escaped, kNoAssign, "-", "-", "-", "-", "-", "-"})}}));
  }
}

// ---------------------------------------------------------------------------------------------
// Failures: reported, and the old file is kept

TEST(CHTMLWriter, FolderThatDoesNotExistIsReported) {
  CPatch patch;
  StTempFolder folder;
  const fs::path target = folder.Path() / "missing" / "list.html";
  CHTMLWriter writer(&patch);
  EXPECT_NE(writer.OutputFile(FSSpec::FromPath(target)), noErr);
  EXPECT_FALSE(fs::exists(target));
}

TEST(CHTMLWriter, FolderThatIsAFileIsReported) {
  CPatch patch;
  StTempFolder folder;
  writeFile(folder.Path() / "plain", "x");
  CHTMLWriter writer(&patch);
  EXPECT_NE(writer.OutputFile(FSSpec::FromPath(folder.Path() / "plain" / "list.html")), noErr);
  EXPECT_EQ(readFile(folder.Path() / "plain"), "x");
}

TEST(CHTMLWriter, WriteFailureKeepsTheOldFile) {
  CPatch patch;
  fillSmallPatch(patch);
  StTempFolder folder;
  const fs::path target = folder.Path() / "list.html";
  const std::string old = "the list written last time\r\n";
  writeFile(target, old);

  OSStatus status = noErr;
  {
    StFileSizeLimit limit(100);  // far less than the list
    ASSERT_TRUE(limit.IsActive());
    CHTMLWriter writer(&patch);
    status = writer.OutputFile(FSSpec::FromPath(target));
  }
  EXPECT_NE(status, noErr);
  EXPECT_EQ(readFile(target), old);
  EXPECT_EQ(folder.EntryCount(), 1u) << "the temporary file is removed";
}

TEST(CHTMLWriter, FailedReplaceKeepsWhatIsThere) {
  // The target is a folder: everything is written, but it cannot be replaced.
  CPatch patch;
  StTempFolder folder;
  const fs::path target = folder.Path() / "list.html";
  fs::create_directory(target);
  writeFile(target / "inside", "kept");
  CHTMLWriter writer(&patch);
  EXPECT_NE(writer.OutputFile(FSSpec::FromPath(target)), noErr);
  EXPECT_EQ(readFile(target / "inside"), "kept");
  EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(CHTMLWriter, SuccessReplacesTheOldFile) {
  CPatch patch;
  StTempFolder folder;
  const fs::path target = folder.Path() / "list.html";
  writeFile(target, std::string(100000, 'x'));  // longer than the list: nothing may remain
  CHTMLWriter writer(&patch);
  ASSERT_EQ(writer.OutputFile(FSSpec::FromPath(target)), noErr);
  EXPECT_EQ(readFile(target), document("", {}));
}

TEST(CHTMLWriter, WriterCanBeUsedAgainAfterAFailure) {
  CPatch patch;
  StTempFolder folder;
  CHTMLWriter writer(&patch);
  EXPECT_NE(writer.OutputFile(FSSpec::FromPath(folder.Path() / "no" / "list.html")), noErr);
  ASSERT_EQ(writer.OutputFile(FSSpec::FromPath(folder.Path() / "list.html")), noErr);
  EXPECT_EQ(readFile(folder.Path() / "list.html"), document("", {}));
}

// ---------------------------------------------------------------------------------------------
// CTextOut

TEST(CTextOut, OutputForms) {
  std::string out;
  CTextOut text;
  text.OpenMemory(out);
  const unsigned char pascal[] = {3, 'a', 'b', 'c'};
  text.OutputString(pascal, 1, true);
  text.OutputString("zero", 0, false);
  text.OutputString(-1234L, 2, true);
  text.OutputString("bytes\0more", 10, 0, false);
  text.OutputChar('=', 3);
  text.OutputTab(20);
  text.OutputLineFeed(2);
  text << pascal << '!' << 42L;
  ASSERT_EQ(text.CloseFile(), noErr);
  EXPECT_EQ(out, std::string("\tabc\r\nzero\t\t-1234\r\nbytes\0more===", 32) +
                     std::string(20, '\t') + "\r\n\r\nabc!42");
}

TEST(CTextOut, PiecesLargerThanTheBufferArriveInOrder) {
  std::string out;
  CTextOut text;
  text.OpenMemory(out);
  text.PrepareTempBuffer(8);
  std::string expected;
  for (int i = 0; i < 200; ++i) {
    std::string piece(static_cast<std::size_t>(i % 13), static_cast<char>('a' + i % 26));
    text.OutputString(piece.c_str(), 0, i % 3 == 0);
    expected += piece + (i % 3 == 0 ? "\r\n" : "");
  }
  ASSERT_EQ(text.CloseFile(), noErr);
  EXPECT_EQ(out, expected);
}

TEST(CTextOut, WritingWithNothingOpenIsAFailure) {
  CTextOut text;
  EXPECT_EQ(text.CloseFile(), CTextOut::kNotOpenErr);
  text.OutputString("lost", 0, true);
  text.WriteBufferToFile();
  EXPECT_EQ(text.GetStatus(), CTextOut::kNotOpenErr);
}

TEST(CTextOut, AbandonedMemoryOutputIsTakenBack) {
  std::string out = "kept";
  CTextOut text;
  text.OpenMemory(out);
  text.OutputString("dropped", 0, true);
  text.WriteBufferToFile();
  text.AbandonFile();
  EXPECT_EQ(out, "kept");
}

TEST(CTextOut, AbandonedFileLeavesTheTargetAlone) {
  StTempFolder folder;
  const fs::path target = folder.Path() / "out.txt";
  writeFile(target, "old");
  {
    CTextOut text;
    ASSERT_EQ(text.OpenFile(FSSpec::FromPath(target), 0, FourCC("TEXT")), noErr);
    text.OutputString("new", 0, true);
    text.WriteBufferToFile();
  }  // destroyed without CloseFile
  EXPECT_EQ(readFile(target), "old");
  EXPECT_EQ(folder.EntryCount(), 1u);
}

}  // namespace

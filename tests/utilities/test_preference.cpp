#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"
#include "support/StEnvironment.h"
#include "support/StFileSizeLimit.h"
#include "support/StTempFolder.h"
#include "utilities/StPreference.h"
#include "utilities/UPreference.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Pref = UPreference;
using kvxtest::StEnvironment;
using kvxtest::StFileSizeLimit;
using kvxtest::StTempFolder;

LStr255 operator""_p(const char* text, std::size_t length) {
  return LStr255(std::string_view(text, length));
}

const LStr255 kGeneral("General Settings");
const OSType kCreator = FourCC("KVE2");
const OSType kPrefType = FourCC("pref");

void UseText(const std::string& text) {
  Pref::CleanUp();
  if (!text.empty()) {
    ASSERT_TRUE(Pref::Insert(0, text.data(), static_cast<std::int32_t>(text.size())));
  }
}

std::string HeldText() {
  auto bytes = Pref::GetBytes();
  return std::string(bytes.begin(), bytes.end());
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class UPreferenceTest : public ::testing::Test {
 protected:
  void SetUp() override { Pref::CleanUp(); }
  void TearDown() override { Pref::CleanUp(); }
};

// ------------------------------------------------------------------ writing, exact bytes

struct SEditRow {
  const char* name;
  std::string before;
  std::function<bool()> edit;
  bool result;
  std::string after;
};

bool InSectionT(const std::function<bool()>& then) {
  return Pref::SeekTag(LStr255("T"), false) && then();
}

TEST_F(UPreferenceTest, EditsGiveExactBytes) {
  const SEditRow rows[] = {
      {"new tag on no data", "", [] { return Pref::SeekTag(kGeneral, true); }, true,
       "[General Settings]\r\n\r\n"},
      {"new param in a new tag", "",
       [] { return Pref::SeekTag(kGeneral, true) && Pref::SetParamValue("Source 0"_p, 12345); },
       true, "[General Settings]\r\nSource 0 = 12345\r\n\r\n"},
      {"newer params stand above older ones", "",
       [] {
         return Pref::SeekTag("T"_p, true) && Pref::SetParamValue("A"_p, 1) &&
                Pref::SetParamValue("B"_p, 2);
       },
       true, "[T]\r\nB = 2\r\nA = 1\r\n\r\n"},
      {"missing values are added as ', '", "[T]\r\nx = 1\r\n",
       [] { return InSectionT([] { return Pref::SetParamValue("x"_p, 7, 2); }); }, true,
       "[T]\r\nx = 1, , 7\r\n"},
      {"a middle value is replaced", "[T]\r\nx = 1, 22, 3\r\n",
       [] { return InSectionT([] { return Pref::SetParamValue("x"_p, 5, 1); }); }, true,
       "[T]\r\nx = 1, 5, 3\r\n"},
      {"trailing spaces of the old value go with it", "[T]\r\nx = 1   , 2\r\n",
       [] { return InSectionT([] { return Pref::SetParamValue("x"_p, -5, 0); }); }, true,
       "[T]\r\nx = -5, 2\r\n"},
      {"empty recent-file slot", "",
       [] { return Pref::SeekTag(kGeneral, true) && Pref::SetParamFSSpec("Recent File 1"_p, {}); },
       true, "[General Settings]\r\nRecent File 1 = 0, 0, \r\n\r\n"},
      {"a recent file replaced by an empty slot", "[T]\r\nf = 0, /home/me, a.mid\r\n",
       [] { return InSectionT([] { return Pref::SetParamFSSpec("f"_p, {}); }); }, true,
       "[T]\r\nf = 0, 0, \r\n"},
      {"folder and name are percent-encoded", "[T]\r\n",
       [] {
         return InSectionT([] {
           return Pref::SetParamFSSpec("f"_p, {0, "/a,b", " c%d, e.mid\t"});
         });
       },
       true, "[T]\r\nf = 0, /a%2Cb, %20c%25d%2C e.mid%09\r\n"},
      {"line ends and escapes are encoded", "[T]\r\n",
       [] { return InSectionT([] {
              return Pref::SetParamFSSpec("f"_p, {0, "/a\rb\n", "%2C"});
            }); },
       true, "[T]\r\nf = 0, /a%0Db%0A, %252C\r\n"},
      {"brackets are encoded, so a name cannot pose as a section", "[T]\r\n",
       [] { return InSectionT([] {
              return Pref::SetParamFSSpec("f"_p, {0, "/[General Settings]", "[T].mid"}) &&
                     !Pref::SeekTag(kGeneral, false);
            }); },
       true, "[T]\r\nf = 0, /%5BGeneral Settings%5D, %5BT%5D.mid\r\n"},
      {"a string is written as it stands", "[T]\r\n",
       [] { return InSectionT([] { return Pref::SetParamString("s"_p, " ab  "_p); }); }, true,
       "[T]\r\ns =  ab  \r\n"},
      {"a null string empties the value", "[T]\r\ns = abc, 1\r\n",
       [] { return InSectionT([] { return Pref::SetParamString("s"_p, nullptr); }); }, false,
       "[T]\r\ns = , 1\r\n"},
      {"point and rect", "[T]\r\n",
       [] {
         return InSectionT([] {
           return Pref::SetParamPoint("p"_p, Point{-3, 4}) &&
                  Pref::SetParamRect("r"_p, Rect{1, -2, 300, 4000});
         });
       },
       true, "[T]\r\nr = 1, -2, 300, 4000\r\np = -3, 4\r\n"},
      {"a param is created in its own section", "[A]\r\n\r\n[T]\r\ny = 2\r\n",
       [] { return InSectionT([] { return Pref::SetParamValue("x"_p, 3); }); }, true,
       "[A]\r\n\r\n[T]\r\nx = 3\r\ny = 2\r\n"},
      {"the same name in another section is left alone", "[T]\r\n\r\n[U]\r\nx = 2\r\n",
       [] { return InSectionT([] { return Pref::SetParamValue("x"_p, 1); }); }, true,
       "[T]\r\nx = 1\r\n\r\n[U]\r\nx = 2\r\n"},
      {"a new tag goes at the end", "[A]\r\nx = 1\r\n",
       [] { return Pref::SeekTag("T"_p, true) && Pref::SetParamValue("y"_p, 2); }, true,
       "[A]\r\nx = 1\r\n[T]\r\ny = 2\r\n\r\n"},
      {"a new tag does not share an unfinished last line", "[A]\r\nx = 1",
       [] { return Pref::SeekTag("T"_p, true) && Pref::SetParamValue("y"_p, 2); }, true,
       "[A]\r\nx = 1\r\n[T]\r\ny = 2\r\n\r\n"},
      {"LF-only file: its param is found and replaced", "[T]\nx = 1\n",
       [] { return InSectionT([] { return Pref::SetParamValue("x"_p, 2); }); }, true,
       "[T]\nx = 2\n"},
      {"a value stops at a lone LF", "[T]\nx = 1\ny = 3\n",
       [] { return InSectionT([] { return Pref::SetParamValue("x"_p, 22); }); }, true,
       "[T]\nx = 22\ny = 3\n"},
      {"a name after a lone CR is one line, not an LF-led copy", "[T]\rx = 1\r",
       [] { return InSectionT([] { return Pref::SetParamValue("\nx"_p, 2); }); }, false,
       "[T]\rx = 1\r"},
      {"a param after a tag that ends the data starts a line", "[T]",
       [] { return InSectionT([] { return Pref::SetParamValue("x"_p, 2); }); }, true,
       "[T]\r\nx = 2\r\n"},
      {"names that could not be found again are refused", "[T]\r\n",
       [] {
         return InSectionT([] {
           return Pref::SetParamValue("a=b"_p, 1) || Pref::SetParamValue(" a"_p, 1) ||
                  Pref::SetParamValue("a "_p, 1) || Pref::SetParamValue("[a"_p, 1) ||
                  Pref::SetParamValue("a\rb"_p, 1) || Pref::SetParamValue("\na"_p, 1) ||
                  Pref::SetParamValue("a\tb"_p, 1) || Pref::SetParamValue("a\x7F"_p, 1);
         });
       },
       false, "[T]\r\n"},
      {"tags that could not be found again are refused", "[T]\r\n",
       [] { return Pref::SeekTag("a]b"_p, true) || Pref::SeekTag("a\nb"_p, true); }, false,
       "[T]\r\n"},
      {"values holding a line end are refused", "[T]\r\nx = 1\r\n",
       [] {
         return InSectionT([] {
           return Pref::SetParamString("x"_p, "a\r[U]"_p) || Pref::SetParamString("x"_p, "\n"_p);
         });
       },
       false, "[T]\r\nx = 1\r\n"},
      {"indices that would wrap around are refused", "[T]\r\nx = 1\r\n",
       [] {
         return InSectionT([] {
           return Pref::SetParamPoint("x"_p, {}, 65535) || Pref::SetParamRect("x"_p, {}, 65533) ||
                  Pref::SetParamFSSpec("x"_p, {}, 65534);
         });
       },
       false, "[T]\r\nx = 1\r\n"},
  };
  for (const SEditRow& row : rows) {
    SCOPED_TRACE(row.name);
    UseText(row.before);
    EXPECT_EQ(row.edit(), row.result);
    EXPECT_EQ(HeldText(), row.after);
  }
}

// ------------------------------------------------------------------ reading

// A header counts only at the start of a line, under each of the three line ends.
TEST_F(UPreferenceTest, FindsTagsOnlyAtLineStarts) {
  for (const std::string eol : {"\r", "\n", "\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(eol));
    UseText("junk [T] more" + eol + "y = 3" + eol + "[General Settings]" + eol +
            "Recent File 1 = 0, /home/[MIDI Service Settings], a.mid" + eol +
            "Name [U] = 4" + eol + " \t[MIDI Service Settings]" + eol + "Source 0 = 5" + eol +
            "[U]" + eol + "x = 6" + eol);
    EXPECT_FALSE(Pref::SeekTag("T"_p, false));
    ASSERT_TRUE(Pref::SeekTag("MIDI Service Settings"_p, false));
    EXPECT_EQ(Pref::GetParamValue("Source 0"_p, 99), 5);
    ASSERT_TRUE(Pref::SeekTag("U"_p, false));
    EXPECT_EQ(Pref::GetParamValue("x"_p, 99), 6);
    ASSERT_TRUE(Pref::SeekTag(kGeneral, false));
    FSSpec recent;
    Pref::GetParamFSSpec("Recent File 1"_p, recent, nullptr);
    EXPECT_EQ(recent.name, "a.mid");
    // Writing goes to the real sections and keeps the recent file.
    ASSERT_TRUE(Pref::SeekTag("MIDI Service Settings"_p, true));
    ASSERT_TRUE(Pref::SetParamValue("Destination 0"_p, 7));
    ASSERT_TRUE(Pref::SeekTag(kGeneral, false));
    Pref::GetParamFSSpec("Recent File 1"_p, recent, nullptr);
    EXPECT_EQ(recent.name, "a.mid");
    ASSERT_TRUE(Pref::SeekTag("MIDI Service Settings"_p, false));
    EXPECT_EQ(Pref::GetParamValue("Destination 0"_p, 99), 7);
    EXPECT_EQ(Pref::GetParamValue("Source 0"_p, 99), 5);
  }
}

// A tag with bytes above 127 (a Mac Roman name) is found again, and not made a second time.
TEST_F(UPreferenceTest, FindsTagsWithHighBytes) {
  UseText("");
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(Pref::SeekTag("Caf\x8E \xFF"_p, true));
    ASSERT_TRUE(Pref::SetParamValue("x"_p, 3 + round));
  }
  EXPECT_EQ(HeldText(), "[Caf\x8E \xFF]\r\nx = 4\r\n\r\n");
}

struct SNumberRow {
  const char* name;
  std::string text;
  const char* param;
  std::uint16_t index;
  std::int32_t expected;  // the default is 99
};

TEST_F(UPreferenceTest, ReadsNumbers) {
  const SNumberRow rows[] = {
      {"a value beyond those present gives the default", "[T]\r\nx = 1\r\n", "x", 1, 99},
      {"names are case-sensitive", "[T]\r\nSource 0 = 5\r\n", "source 0", 0, 99},
      {"negative", "[T]\r\nx = -42\r\n", "x", 0, -42},
      {"blanks around a value", "[T]\r\nx =  \t 17   , 3\r\n", "x", 0, 17},
      {"the value after a comma", "[T]\r\nx =  \t 17   ,3\r\n", "x", 1, 3},
      {"an empty value is no number", "[T]\r\nx = 1, , 7\r\n", "x", 1, 99},
      {"text is no number", "[T]\r\nx = abc\r\n", "x", 0, 99},
      {"digits followed by text are no number", "[T]\r\nx = 12ab\r\n", "x", 0, 99},
      {"plus sign", "[T]\r\nx = +5\r\n", "x", 0, 5},
      {"smallest", "[T]\r\nx = -2147483648\r\n", "x", 0, std::numeric_limits<int32_t>::min()},
      {"beyond 32 bits", "[T]\r\nx = 2147483648\r\n", "x", 0, 99},
      {"LF alone ends a line", "[T]\nx = 1\n", "x", 0, 1},
      {"a line without '=' is skipped", "[T]\r\nx 5\r\nx = 6\r\n", "x", 0, 6},
      {"the section ends at '[' after blanks", "[T]\r\n \t[U]\r\nx = 1\r\n", "x", 0, 99},
      {"a '[' inside a line does not end it", "[T]\r\ny = [U]\r\nx = 1\r\n", "x", 0, 1},
      {"params before the tag are not in it", "x = 1\r\n[T]\r\n", "x", 0, 99},
      {"spaces before '='", "[T]\r\n\tRecent File 1   = 4\r\n", "Recent File 1", 0, 4},
      {"CR alone ends a line", "[T]\rx = 5\r", "x", 0, 5},
      {"the last line needs no line end", "[T]\r\nx = 8", "x", 0, 8},
      {"the first line of a name counts", "[T]\r\nx = 1\r\nx = 2\r\n", "x", 0, 1},
  };
  for (const SNumberRow& row : rows) {
    SCOPED_TRACE(row.name);
    UseText(row.text);
    ASSERT_TRUE(Pref::SeekTag(LStr255("T"), false));
    EXPECT_EQ(Pref::GetParamValue(LStr255(row.param), 99, row.index), row.expected);
    EXPECT_EQ(HeldText(), row.text) << "reading changed the data";
  }
}

TEST_F(UPreferenceTest, ReadsStrings) {
  UseText("[T]\r\ns =  \t ab c  , " + std::string(300, 'v') + "\r\nt = ab\t\r\n");
  ASSERT_TRUE(Pref::SeekTag(LStr255("T"), false));
  EXPECT_EQ(LString::ToStd(Pref::GetParamString("s"_p, nullptr)), "ab c");
  EXPECT_EQ(LString::ToStd(Pref::GetParamString("s"_p, nullptr, 1)), std::string(255, 'v'));
  EXPECT_EQ(LString::ToStd(Pref::GetParamString("t"_p, nullptr)), "ab\t") << "only spaces trail";
  EXPECT_EQ(LString::ToStd(Pref::GetParamString("s"_p, "dflt"_p, 2)), "dflt");
  EXPECT_EQ(LString::ToStd(Pref::GetParamString("none"_p, nullptr)), "");

  Str255 out;
  EXPECT_EQ(Pref::GetParamPString("s"_p, out, nullptr, 3), 3);
  EXPECT_EQ(LString::ToStd(out), "ab ");
  EXPECT_EQ(Pref::GetParamPString("none"_p, out, "default"_p, 4), 4);
  EXPECT_EQ(LString::ToStd(out), "defa");
}

TEST_F(UPreferenceTest, ReadsPointsAndRectsUpToTheLastComma) {
  UseText("[T]\r\np1 = 10, 20\r\np2 = 10\r\np3 = 10, x\r\np4 = 40000, 5\r\nr = 1, 2\r\n");
  ASSERT_TRUE(Pref::SeekTag(LStr255("T"), false));
  const Point fallback{1, 2};
  struct SRow {
    const char* param;
    Point expected;
  } rows[] = {{"p1", {10, 20}}, {"p2", {10, 2}}, {"p3", {10, 2}}, {"p4", {1, 5}}, {"no", {1, 2}}};
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.param);
    Point point;
    Pref::GetParamPoint(LStr255(row.param), point, &fallback);
    EXPECT_EQ(point, row.expected);
  }
  Point zero{7, 7};
  Pref::GetParamPoint("none"_p, zero, nullptr);
  EXPECT_EQ(zero, Point{});
  const Rect fallbackRect{5, 6, 7, 8};
  Rect rect;
  Pref::GetParamRect("r"_p, rect, &fallbackRect);
  EXPECT_EQ(rect, (Rect{1, 2, 7, 8}));
}

TEST_F(UPreferenceTest, ReadsFileSpecifications) {
  const FSSpec fallback{5, "/fallback", "f.mid"};
  struct SRow {
    const char* name;
    std::string value;
    FSSpec expected;
  } rows[] = {
      {"all three", "3, /a, b.mid", {3, "/a", "b.mid"}},
      {"no comma after the volume", "3", fallback},
      {"no comma after the folder", "3, /a", {3, "/fallback", "f.mid"}},
      {"empty slot", "0, 0, ", {}},
      {"a volume that is no number keeps the default", "x, /a, b", {5, "/a", "b"}},
      {"an unknown escape stays", "0, /a, 100%.mid%4", {0, "/a", "100%.mid%4"}},
      {"lower-case escapes", "0, /a%2cb, c%0a", {0, "/a,b", "c\n"}},
      {"encoded brackets", "0, /%5Ba%5d, %5BT%5D.mid", {0, "/[a]", "[T].mid"}},
      {"brackets of older files stay", "0, /[a], b].mid", {0, "/[a]", "b].mid"}},
      {"long values are read whole",
       "0, /" + std::string(300, 'd') + ", " + std::string(300, 'n'),
       {0, "/" + std::string(300, 'd'), std::string(300, 'n')}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    UseText("[T]\r\nf = " + row.value + "\r\n");
    ASSERT_TRUE(Pref::SeekTag(LStr255("T"), false));
    FSSpec fileSpec;
    Pref::GetParamFSSpec("f"_p, fileSpec, &fallback);
    EXPECT_EQ(fileSpec.vRefNum, row.expected.vRefNum);
    EXPECT_EQ(fileSpec.parID, row.expected.parID);
    EXPECT_EQ(fileSpec.name, row.expected.name);
  }
}

// ------------------------------------------------------------------ round trips through a file

class UPreferenceFileTest : public UPreferenceTest {
 protected:
  // Saves the data, forgets it and loads it again.
  void Reload() {
    const FSSpec file = FSSpec::FromPath(mFolder.Path() / "prefs");
    ASSERT_EQ(Pref::SaveFile(file, kCreator, 1000, kPrefType), noErr);
    Pref::CleanUp();
    ASSERT_EQ(Pref::LoadFile(file), noErr);
    ASSERT_TRUE(Pref::SeekTag(kGeneral, false));
  }
  StTempFolder mFolder;
};

TEST_F(UPreferenceFileTest, ValuesSurviveSaveAndLoad) {
  const std::int32_t numbers[] = {0,
                                  1,
                                  -1,
                                  12345,
                                  std::numeric_limits<std::int32_t>::max(),
                                  std::numeric_limits<std::int32_t>::min()};
  const Point point{-32768, 32767};
  const Rect rect{-1, 2, -300, 4000};
  ASSERT_TRUE(Pref::SeekTag(kGeneral, true));
  for (std::uint16_t i = 0; i < std::size(numbers); ++i) {
    ASSERT_TRUE(Pref::SetParamValue("n"_p, numbers[i], i));
  }
  ASSERT_TRUE(Pref::SetParamString("s"_p, "Tr\xE8s bien / [x] = y"_p));
  ASSERT_TRUE(Pref::SetParamPoint("p"_p, point, 1));
  ASSERT_TRUE(Pref::SetParamRect("r"_p, rect));
  Reload();
  for (std::uint16_t i = 0; i < std::size(numbers); ++i) {
    EXPECT_EQ(Pref::GetParamValue("n"_p, 99, i), numbers[i]) << "index " << i;
  }
  EXPECT_EQ(LString::ToStd(Pref::GetParamString("s"_p, nullptr)), "Tr\xE8s bien / [x] = y");
  Point readPoint;
  Pref::GetParamPoint("p"_p, readPoint, nullptr, 1);
  EXPECT_EQ(readPoint, point);
  Rect readRect;
  Pref::GetParamRect("r"_p, readRect, nullptr);
  EXPECT_EQ(readRect, rect);
}

TEST_F(UPreferenceFileTest, AnyFolderAndFileNameSurvive) {
  const FSSpec specs[] = {
      {0, "/home/me/patches", "Lead.mid"},
      {0, "/home/me/a,b", "x,y.mid"},
      {0, "/home/me/line\rend", "two\nlines\r\n.mid"},
      {0, "/home/100%", "%2C"},
      {0, "/home/me/ folder ", "  name with  inner blanks \t"},
      {0, "/home/me", "\t"},
      {0, "/home/me", "%25%"},
      {0, "/", "caf\xC3\xA9 [General Settings] = 1.mid"},
      {0, "/" + std::string(400, 'd'), std::string(255, 'n')},
      {},
  };
  ASSERT_TRUE(Pref::SeekTag(kGeneral, true));
  for (std::uint16_t i = 0; i < std::size(specs); ++i) {
    ASSERT_TRUE(Pref::SetParamFSSpec(LStr255("Recent File " + std::to_string(i)), specs[i]));
  }
  Reload();
  for (std::uint16_t i = 0; i < std::size(specs); ++i) {
    SCOPED_TRACE(specs[i].name);
    const FSSpec fallback{9, "/nowhere", "nothing"};
    FSSpec fileSpec;
    Pref::GetParamFSSpec(LStr255("Recent File " + std::to_string(i)), fileSpec, &fallback);
    EXPECT_EQ(fileSpec.vRefNum, specs[i].vRefNum);
    EXPECT_EQ(fileSpec.parID, specs[i].parID);
    EXPECT_EQ(fileSpec.name, specs[i].name);
  }
}

// ------------------------------------------------------------------ damaged and odd data

std::string Garbage(std::size_t count) {
  std::mt19937 generator(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += static_cast<char>(byte(generator));
  return text;
}

TEST_F(UPreferenceFileTest, OddFilesGiveDefaultsAndStayWritable) {
  struct SRow {
    const char* name;
    std::string text;
    bool hasTag;
  } rows[] = {
      {"empty", "", false},
      {"binary garbage", Garbage(8192), false},
      {"tag without ']'", "[General Settings\r\nSource 0 = 5\r\n", false},
      {"lone '[' at the end", "x = 1\r\n[", false},
      {"tag cut short at the end", "[General Sett", false},
      {"tag at the very end", "[General Settings]", true},
      {"param line without '='", "[General Settings]\r\nSource 0 5\r\n", true},
      {"very long line", "[General Settings]\r\n" + std::string(200000, 'x') + "\r\n", true},
      {"value longer than 255", "[General Settings]\r\nSource 0 = " + std::string(300, '7'), true},
      {"NUL bytes and brackets", std::string("\0[\0]\r[[]]\n\r\0", 12), false},
      {"only line ends", "\r\n\r\r\n\n\n\r", false},
  };
  const FSSpec file = FSSpec::FromPath(mFolder.Path() / "odd");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteFile(file.Path(), row.text);
    Pref::CleanUp();
    ASSERT_EQ(Pref::LoadFile(file), noErr);
    EXPECT_EQ(Pref::SeekTag(kGeneral, false), row.hasTag);
    EXPECT_EQ(Pref::GetParamValue("Source 0"_p, -7), -7);

    ASSERT_TRUE(Pref::SeekTag(kGeneral, true));
    ASSERT_TRUE(Pref::SetParamValue("Destination 0"_p, 31));
    Reload();
    EXPECT_EQ(Pref::GetParamValue("Destination 0"_p, -7), 31);
  }
}

// ------------------------------------------------------------------ primitives

TEST_F(UPreferenceTest, ScanningStopsWhereItShould) {
  enum EOp { skipTo, findTo, readTo, nextLine, whiteSpace };
  struct SRow {
    const char* name;
    const char* text;
    std::int32_t start;
    EOp op;
    bool result;
    std::int32_t end;
  } rows[] = {
      {"SkipTo fails at a CR and stays", "a\r,", 1, skipTo, false, 1},
      {"SkipTo stops after the character", " a,b", 0, skipTo, true, 3},
      {"SkipTo stops at the line end", "ab\r\n,", 0, skipTo, false, 2},
      {"SkipTo at the end", "ab", 2, skipTo, false, 2},
      {"SkipTo stops at a lone LF", "a\n,", 0, skipTo, false, 1},
      {"FindTo crosses lines", "a\r\nb,", 0, findTo, true, 5},
      {"FindTo fails at the end", "a\r\nb", 0, findTo, false, 4},
      {"ReadTo stops after the character", "ab =c", 0, readTo, true, 4},
      {"ReadTo fails at the CR", "ab\r=", 0, readTo, false, 2},
      {"next line over CR LF", "ab\r\ncd", 0, nextLine, true, 4},
      {"next line over a CR alone", "ab\rcd", 0, nextLine, true, 3},
      {"next line over an LF alone", "ab\ncd", 0, nextLine, true, 3},
      {"LF CR is two line ends", "ab\n\rcd", 0, nextLine, true, 3},
      {"blanks are spaces and tabs", " \t \r", 0, whiteSpace, true, 3},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    UseText(row.text);
    Pref::SetCurrPos(row.start);
    bool result = true;
    switch (row.op) {
      case skipTo:
        result = Pref::SkipTo(',');
        break;
      case findTo:
        result = Pref::FindTo(',');
        break;
      case readTo:
        result = Pref::ReadTo('=');
        break;
      case nextLine:
        Pref::SkipToNextLine();
        break;
      case whiteSpace:
        Pref::SkipWhiteSpace();
        break;
    }
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(Pref::GetCurrPos(), row.end);
  }
}

TEST_F(UPreferenceTest, InsertAndDelete) {
  struct SRow {
    const char* name;
    std::function<bool()> edit;
    bool result;
    const char* after;
  } rows[] = {
      {"insert in the middle", [] { return Pref::Insert(2, "XY", 2); }, true, "abXYcdef"},
      {"insert beyond the end appends", [] { return Pref::Insert(99, "XY", 2); }, true, "abcdefXY"},
      {"negative offset refused", [] { return Pref::Insert(-1, "XY", 2); }, false, "abcdef"},
      {"null bytes refused", [] { return Pref::Insert(0, nullptr, 2); }, false, "abcdef"},
      {"zero length refused", [] { return Pref::Insert(0, "XY", 0); }, false, "abcdef"},
      {"delete both ends included", [] { return Pref::Delete(1, 2), true; }, true, "adef"},
      {"delete in either order", [] { return Pref::Delete(4, 1), true; }, true, "af"},
      {"delete past the end stops at the end", [] { return Pref::Delete(3, 99), true; }, true,
       "abc"},
      {"delete from a negative offset does nothing", [] { return Pref::Delete(-1, 3), true; }, true,
       "abcdef"},
      {"delete from the end does nothing", [] { return Pref::Delete(6, 9), true; }, true, "abcdef"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    UseText("abcdef");
    EXPECT_EQ(row.edit(), row.result);
    EXPECT_EQ(HeldText(), row.after);
  }
}

// ------------------------------------------------------------------ loading and saving

TEST_F(UPreferenceFileTest, AFailedLoadKeepsTheDataAndASuccessfulOneReplacesIt) {
  UseText("[T]\r\nx = 1\r\n");
  EXPECT_EQ(Pref::LoadFile(FSSpec::FromPath(mFolder.Path() / "missing")), fnfErr);
  EXPECT_EQ(HeldText(), "[T]\r\nx = 1\r\n");
  EXPECT_NE(Pref::LoadFile(FSSpec::FromPath(mFolder.Path())), noErr) << "a folder";
  EXPECT_EQ(HeldText(), "[T]\r\nx = 1\r\n");

  WriteFile(mFolder.Path() / "other", "[U]\r\ny = 2\r\n");
  ASSERT_EQ(Pref::LoadFile(FSSpec::FromPath(mFolder.Path() / "other")), noErr);
  EXPECT_FALSE(Pref::SeekTag(LStr255("T"), false));
  ASSERT_TRUE(Pref::SeekTag(LStr255("U"), false));
  EXPECT_EQ(Pref::GetParamValue("y"_p, 0), 2);
}

TEST_F(UPreferenceFileTest, SaveByNameCreatesAMissingConfigFolder) {
  const fs::path home = mFolder.Path() / "home";
  const std::string config = (mFolder.Path() / "config").string();
  const std::string nested = (mFolder.Path() / "a/b").string();
  struct SRow {
    const char* name;
    const char* configHome;  // null: unset
    fs::path expectedFolder;
  } rows[] = {
      {"XDG_CONFIG_HOME", config.c_str(), config},
      {"XDG_CONFIG_HOME two levels down", nested.c_str(), nested},
      {"~/.config", nullptr, home / ".config"},
  };
  StEnvironment homeVariable("HOME", home.c_str());
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    StEnvironment xdg("XDG_CONFIG_HOME", row.configHome);
    UseText("[T]\r\nx = 1\r\n");
    ASSERT_EQ(Pref::SaveFile("prefs"_p, kCreator, 1000, kPrefType), noErr);
    EXPECT_EQ(FileText(row.expectedFolder / "prefs"), "[T]\r\nx = 1\r\n");
    for (fs::path folder = row.expectedFolder; folder != mFolder.Path();
         folder = folder.parent_path()) {
      EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
    }
  }
  const fs::path file = mFolder.Path() / "file";
  WriteFile(file, "");
  StEnvironment xdg("XDG_CONFIG_HOME", file.c_str());
  EXPECT_NE(Pref::SaveFile("prefs"_p, kCreator, 1000, kPrefType), noErr) << "a file, no folder";
}

TEST_F(UPreferenceFileTest, SaveByNameGoesToTheConfigFolder) {
  const fs::path config = mFolder.Path() / "config";
  StEnvironment xdg("XDG_CONFIG_HOME", config.c_str());
  UseText("[T]\r\nx = 1\r\n");
  EXPECT_EQ(Pref::LoadFile("prefs"_p), fnfErr);
  fs::create_directory(config);
  EXPECT_EQ(Pref::SaveFile("prefs"_p, kCreator, 1000, kPrefType), noErr);
  EXPECT_EQ(FileText(config / "prefs"), "[T]\r\nx = 1\r\n");
  EXPECT_EQ(Pref::SaveFile("a/b"_p, kCreator, 1000, kPrefType), fnfErr);

  Pref::CleanUp();
  EXPECT_EQ(Pref::LoadFile("prefs"_p), noErr);
  EXPECT_EQ(HeldText(), "[T]\r\nx = 1\r\n");
}

TEST_F(UPreferenceFileTest, AFailedSaveKeepsTheOldFile) {
  const fs::path target = mFolder.Path() / "prefs";
  WriteFile(target, "old");
  const std::string big(4096, 'n');
  UseText(big);

  // A file size limit makes the write fail part-way, even for root.
  OSStatus result = noErr;
  {
    StFileSizeLimit limit(64);
    ASSERT_TRUE(limit.IsActive());
    result = Pref::SaveFile(FSSpec::FromPath(target), kCreator, 0, kPrefType);
  }

  EXPECT_NE(result, noErr);
  EXPECT_EQ(FileText(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(mFolder.Path()), {}), 1) << "temporary left";
  EXPECT_EQ(HeldText(), big) << "the data stays for another try";

  WriteFile(mFolder.Path() / "plain", "");
  EXPECT_NE(
      Pref::SaveFile(FSSpec::FromPath(mFolder.Path() / "plain" / "prefs"), kCreator, 0, kPrefType),
      noErr)
      << "a folder that is a file";
}

TEST_F(UPreferenceFileTest, AFailedSaveInAReadOnlyFolderKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const fs::path target = mFolder.Path() / "prefs";
  WriteFile(target, "old");
  fs::permissions(mFolder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  UseText("new");
  EXPECT_NE(Pref::SaveFile(FSSpec::FromPath(target), kCreator, 0, kPrefType), noErr);
  EXPECT_EQ(FileText(target), "old");
}

// ------------------------------------------------------------------ the scope object

TEST_F(UPreferenceFileTest, ScopeLoadsAndSaves) {
  StEnvironment xdg("XDG_CONFIG_HOME", mFolder.Path().c_str());
  const LStr255 name("KVX Editor V2 Prefs");
  {
    StPreference scope(name, kCreator, 1000, kPrefType);
    EXPECT_TRUE(Pref::GetBytes().empty()) << "no file yet";
    ASSERT_TRUE(Pref::SeekTag(LStr255("MIDI Service Settings"), true));
    ASSERT_TRUE(Pref::SetParamValue("Source 0"_p, -12));
  }
  EXPECT_TRUE(Pref::GetBytes().empty()) << "the scope frees the data";
  EXPECT_EQ(FileText(mFolder.Path() / "KVX Editor V2 Prefs"),
            "[MIDI Service Settings]\r\nSource 0 = -12\r\n\r\n");
  {
    StPreference scope(name, kCreator, 1000, kPrefType);
    ASSERT_TRUE(Pref::SeekTag(LStr255("MIDI Service Settings"), false));
    EXPECT_EQ(Pref::GetParamValue("Source 0"_p, 0), -12);
    ASSERT_TRUE(Pref::SetParamValue("Source 0"_p, 3));
  }
  EXPECT_EQ(FileText(mFolder.Path() / "KVX Editor V2 Prefs"),
            "[MIDI Service Settings]\r\nSource 0 = 3\r\n\r\n");
}

TEST_F(UPreferenceFileTest, ScopeOnAFileSpecification) {
  const FSSpec file = FSSpec::FromPath(mFolder.Path() / "elsewhere");
  WriteFile(file.Path(), "[T]\r\nx = 1\r\n");
  {
    StPreference scope(file, kCreator, 1000, kPrefType);
    ASSERT_TRUE(Pref::SeekTag(LStr255("T"), false));
    ASSERT_TRUE(Pref::SetParamValue("x"_p, 2));
  }
  EXPECT_EQ(FileText(file.Path()), "[T]\r\nx = 2\r\n");
}

TEST_F(UPreferenceTest, LoadByNameFailsWithoutAPreferencesFolder) {
  StEnvironment xdg("XDG_CONFIG_HOME", nullptr);
  StEnvironment home("HOME", nullptr);
  EXPECT_EQ(Pref::LoadFile("prefs"_p), fnfErr);
  EXPECT_EQ(Pref::SaveFile("prefs"_p, kCreator, 1000, kPrefType), fnfErr);
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "document/CPatch.h"
#include "export/CPatchJSON.h"
#include "framework/core/LString.h"

namespace {

// A document with the format tag and version in front of `rest` (which starts with a comma when
// not empty).
std::string Doc(const std::string& rest = "") {
  return R"({"format": "kvx-patch", "version": 1)" + rest + "}";
}

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

void SetTitle(CPatch& patch, std::string_view macRoman) {
  Str255 title;
  LString::FromStd(macRoman, title);
  patch.SetPatchTitle(title);
}

// A patch with something in every part, including bytes no editor panel would produce.
void FillWithJunk(CPatch& patch) {
  SetTitle(patch, "Caf\x8E \xDB 5");  // Café € 5
  patch.AddCopyright({'(', 'c', ')', ' ', 'M', 'e', '\r', '\n', 0xA9});
  patch.AddCopyright({0x00, 0x01, 0xFF, 0x7F});
  patch.AddCopyright({'a', 0x7F, 'b'});  // DEL is no printing character either
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam& param = *patch.GetParam(index);
    LString::FromStd("N" + std::to_string(index) + "\xA5", param.name, sizeof param.name);
    param.msgType = static_cast<std::uint8_t>(index * 5);
    param.isEncoder = static_cast<std::uint8_t>(index & 1);
    param.options = static_cast<std::uint8_t>(0xF8 | index);
    param.outputPort = static_cast<std::uint8_t>(200 + index);
    param.channel = static_cast<std::uint8_t>(index * 3);
    for (std::size_t k = 0; k < kParamDataSize; ++k)
      param.data[k] = static_cast<std::uint8_t>(index * 7 + k * 13);
  }
}

void ExpectSamePatch(const CPatch& a, const CPatch& b) {
  EXPECT_EQ(LString::ToStd(a.PatchTitle()), LString::ToStd(b.PatchTitle()));
  EXPECT_EQ(a.GetCopyrights(), b.GetCopyrights());
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(std::memcmp(a.GetParam(index), b.GetParam(index), sizeof(SPatchParam)), 0);
  }
}

TEST(CPatchJSON, EveryByteOfThePatchComesBack) {
  CPatch original;
  FillWithJunk(original);
  CPatch copy;
  CPatchJSON::SError error;
  ASSERT_TRUE(CPatchJSON::FromText(CPatchJSON::ToText(original), copy, error)) << error.Message();
  ExpectSamePatch(original, copy);
}

TEST(CPatchJSON, WritesTextAsUnicodeAndBinaryNoticesAsBytes) {
  CPatch patch;
  FillWithJunk(patch);
  const nlohmann::ordered_json document = CPatchJSON::ToJSON(patch);
  EXPECT_EQ(document["title"], "Caf\xC3\xA9 \xE2\x82\xAC 5");
  EXPECT_EQ(document["copyrights"][0], "(c) Me\r\n\xC2\xA9");
  EXPECT_EQ(document["copyrights"][1], nlohmann::ordered_json::array({0, 1, 255, 127}));
  EXPECT_EQ(document["copyrights"][2], nlohmann::ordered_json::array({'a', 127, 'b'}));
  ASSERT_EQ(document["controllers"].size(), 50u);
  const auto& bend = document["controllers"][47];
  EXPECT_EQ(bend["index"], 47);
  EXPECT_EQ(bend["descriptor"], "BEND");
  EXPECT_EQ(bend["name"], "N47\xE2\x80\xA2");
  EXPECT_EQ(bend["msgType"], 235);
  EXPECT_EQ(bend["outputPort"], 247);
  EXPECT_EQ(bend["data"].size(), 34u);
  EXPECT_EQ(bend["data"][33], (47 * 7 + 33 * 13) & 0xFF);
}

TEST(CPatchJSON, TextFormKeepsRecordDataOnOneLine) {
  CPatch patch;
  SPatchParam& r1 = *patch.GetParam(0);
  r1.msgType = 7;
  r1.data[0] = 74;
  r1.data[2] = 127;
  const std::string text = CPatchJSON::ToText(patch);
  EXPECT_EQ(text.rfind("{\n  \"format\": \"kvx-patch\",\n  \"version\": 1,\n  \"title\": \"\",\n"
                       "  \"copyrights\": [],\n  \"controllers\": [\n    {\n      \"index\": 0,\n",
                       0),
            0u)
      << text.substr(0, 200);
  EXPECT_NE(
      text.find("      \"data\": [74, 0, 127, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
                "0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]\n"),
      std::string::npos);
  EXPECT_EQ(text.back(), '\n');
}

TEST(CPatchJSON, MissingPartsAreEmptyAndRecordsAreStoredAsGiven) {
  CPatch patch;
  FillWithJunk(patch);
  patch.SetVersion(kPatchVersion_100);
  CPatchJSON::SError error;
  const std::string document = Doc(R"(, "comment": "notes are ignored", "controllers": [
      {"index": 9, "comment": "S1", "name": "Volume", "msgType": 7, "isEncoder": 1, "data": [7, 0, 127]},
      {"index": 47, "descriptor": "BEND", "data": [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 99]}
  ])");
  ASSERT_TRUE(CPatchJSON::FromText(document, patch, error)) << error.Message();

  EXPECT_EQ(patch.PatchTitle()[0], 0);
  EXPECT_TRUE(patch.GetCopyrights().empty());
  EXPECT_EQ(patch.GetVersion(), kPatchVersion_100);
  SPatchParam volume{};
  LString::FromStd("Volume", volume.name, sizeof volume.name);
  volume.msgType = 7;
  volume.isEncoder = 1;  // kept: no normalisation on the way in
  volume.data[0] = 7;
  volume.data[2] = 127;
  EXPECT_EQ(std::memcmp(patch.GetParam(9), &volume, sizeof volume), 0);
  EXPECT_EQ(patch.GetParam(47)->data[33], 99);
  const SPatchParam zero{};
  for (long index : {0L, 8L, 10L, 46L, 48L, 49L}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(std::memcmp(patch.GetParam(index), &zero, sizeof zero), 0);
  }
}

TEST(CPatchJSON, LongestTextsCountMacRomanCharactersNotUTF8Bytes) {
  CPatch patch;
  CPatchJSON::SError error;
  const std::string e128 = Repeat("\xC3\xA9", 128);  // 256 UTF-8 bytes, 128 characters
  const std::string document =
      Doc(R"(, "title": ")" + e128 + R"(", "controllers": [{"index": 0, "name": ")" + e128 +
          R"("}], "copyrights": [")" + Repeat("\xE2\x82\xAC", 256) + R"("])");
  ASSERT_TRUE(CPatchJSON::FromText(document, patch, error)) << error.Message();
  EXPECT_EQ(LString::ToStd(patch.PatchTitle()), Repeat("\x8E", 128));
  EXPECT_EQ(LString::ToStd(patch.GetParam(0)->name), Repeat("\x8E", 128));
  EXPECT_EQ(patch.GetCopyrights().at(0), CPatch::CopyrightNotice(256, 0xDB));
}

struct SInvalidRow {
  const char* name;
  std::string document;
  std::string message;  // the whole message, or its start when `prefixOnly`
  bool prefixOnly = false;
};

TEST(CPatchJSON, RefusesFaultyDocumentsSayingWhereAndWhy) {
  const std::string tooMany = Repeat(R"({"index": 0},)", 50) + R"({"index": 1})";
  const SInvalidRow rows[] = {
      {"not json", "{\"format\": ", "not valid JSON: parse error at line 1, column 12", true},
      {"invalid utf-8 in a string", "{\"title\": \"\xC0\x80\"}", "not valid JSON: parse error",
       true},
      {"number beyond every type", R"({"format": "kvx-patch", "version": 1e999})",
       "not valid JSON: number overflow parsing '1e999'"},
      {"top level is an array", "[]", "expected an object, found an array"},
      {"format missing", R"({"version": 1})", "format: missing; expected \"kvx-patch\""},
      {"another format", R"({"format": "kvx", "version": 1})",
       "format: expected \"kvx-patch\", found \"kvx\""},
      {"newer version", R"({"format": "kvx-patch", "version": 2})",
       "version: 2 is not supported; this program reads version 1"},
      {"version as text", R"({"format": "kvx-patch", "version": "1"})",
       "version: expected 1, found \"1\""},
      {"unknown top-level field", Doc(R"(, "tittle": "x")"), "unknown field \"tittle\""},
      {"key given twice",
       Doc(R"(, "controllers": [{"index": 0}, {"index": 1, "channel": 1, "channel": 2}])"),
       "controllers[1]: the key \"channel\" is given twice"},
      {"title too long", Doc(R"(, "title": ")" + std::string(129, 'a') + "\""),
       "title: 129 characters, at most 128"},
      {"title not text", Doc(R"(, "title": 5)"), "title: expected a string, found 5"},
      {"character without mac roman form", Doc(R"(, "title": "ab\u4e2d")"),
       "title: character 3 (U+4E2D) has no Mac Roman form"},
      {"copyrights not an array", Doc(R"(, "copyrights": "me")"),
       "copyrights: expected an array, found \"me\""},
      {"notice neither text nor bytes", Doc(R"(, "copyrights": ["ok", {}])"),
       "copyrights[1]: expected a string or an array of bytes, found an object"},
      {"notice byte too big", Doc(R"(, "copyrights": [[1, 256]])"),
       "copyrights[0][1]: 256 is out of 0..255"},
      {"notice too long", Doc(R"(, "copyrights": [")" + std::string(257, 'c') + "\"]"),
       "copyrights[0]: 257 bytes, at most 256"},
      {"controllers not an array", Doc(R"(, "controllers": {})"),
       "controllers: expected an array, found an object"},
      {"more than 50 controllers", Doc(", \"controllers\": [" + tooMany + "]"),
       "controllers: 51 controllers, at most 50"},
      {"controller not an object", Doc(R"(, "controllers": [7])"),
       "controllers[0]: expected an object, found 7"},
      {"index missing", Doc(R"(, "controllers": [{"channel": 1}])"),
       "controllers[0]: missing field \"index\""},
      {"index 50", Doc(R"(, "controllers": [{"index": 50}])"),
       "controllers[0].index: 50 is out of 0..49"},
      {"negative index", Doc(R"(, "controllers": [{"index": -1}])"),
       "controllers[0].index: -1 is out of 0..49"},
      {"fractional index", Doc(R"(, "controllers": [{"index": 1.5}])"),
       "controllers[0].index: expected an integer 0..49, found 1.5"},
      {"controller twice", Doc(R"(, "controllers": [{"index": 3}, {"index": 4}, {"index": 3}])"),
       "controllers[2].index: controller 3 (R4) is already given at controllers[0]"},
      {"descriptor of another controller",
       Doc(R"(, "controllers": [{"index": 3, "descriptor": "R3"}])"),
       "controllers[0].descriptor: \"R3\" does not match index 3 (R4)"},
      {"unknown controller field", Doc(R"(, "controllers": [{"index": 3, "chanel": 1}])"),
       "controllers[0]: unknown field \"chanel\""},
      {"data byte too big", Doc(R"(, "controllers": [{"index": 0}, {"index": 1}, {"index": 2},
              {"index": 3, "data": [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 300]}])"),
       "controllers[3].data[12]: 300 is out of 0..255"},
      {"35 data bytes",
       Doc(", \"controllers\": [{\"index\": 0, \"data\": [" + Repeat("0, ", 34) + "0]}]"),
       "controllers[0].data: 35 bytes, at most 34"},
      {"data not an array", Doc(R"(, "controllers": [{"index": 0, "data": 5}])"),
       "controllers[0].data: expected an array of at most 34 bytes, found 5"},
      {"channel as text", Doc(R"(, "controllers": [{"index": 0, "channel": "7"}])"),
       "controllers[0].channel: expected an integer 0..255, found \"7\""},
      {"msgType as boolean", Doc(R"(, "controllers": [{"index": 0, "msgType": true}])"),
       "controllers[0].msgType: expected an integer 0..255, found true"},
      {"options null", Doc(R"(, "controllers": [{"index": 0, "options": null}])"),
       "controllers[0].options: expected an integer 0..255, found null"},
      {"huge port number",
       Doc(R"(, "controllers": [{"index": 0, "outputPort": 18446744073709551615}])"),
       "controllers[0].outputPort: 18446744073709551615 is out of 0..255"},
      {"name too long",
       Doc(R"(, "controllers": [{"index": 0, "name": ")" + std::string(129, 'n') + "\"}]"),
       "controllers[0].name: 129 characters, at most 128"},
      {"comment not text", Doc(R"(, "controllers": [{"index": 0, "comment": 5}])"),
       "controllers[0].comment: expected a string, found 5"},
      {"32 levels are read", R"({"comment": )" + Repeat("[", 31) + Repeat("]", 31) + "}",
       "comment: expected a string, found an array"},
      {"33 levels are refused", Repeat("[", 33) + Repeat("]", 33),
       "objects and arrays nested more than 32 levels deep"},
      {"200000 levels are refused at once", Repeat(R"({"a": [)", 100000),
       "objects and arrays nested more than 32 levels deep"},
      {"a long key given twice is named short",
       Doc(", \"" + std::string(5000, 'k') + "\": 1, \"" + std::string(5000, 'k') + "\": 2"),
       "the key \"" + std::string(37, 'k') + "...\" is given twice"},
      {"a long unknown key is named short", Doc(", \"" + std::string(5000, 'u') + "\": 1"),
       "unknown field \"" + std::string(37, 'u') + "...\""},
      {"a long faulty token is quoted short", "{\"" + std::string(5000, 'q') + "\" 1}",
       "not valid JSON: parse error", true},
      {"name with emoji", Doc(R"(, "controllers": [{"index": 0, "name": "\ud83c\udfb9"}])"),
       "controllers[0].name: character 1 (U+1F3B9) has no Mac Roman form"},
  };
  for (const SInvalidRow& row : rows) {
    SCOPED_TRACE(row.name);
    CPatch patch;
    FillWithJunk(patch);
    CPatch untouched;
    FillWithJunk(untouched);
    CPatchJSON::SError error;
    EXPECT_FALSE(CPatchJSON::FromText(row.document, patch, error));
    EXPECT_LE(error.Message().size(), 300u);
    if (row.prefixOnly) {
      EXPECT_EQ(error.Message().rfind(row.message, 0), 0u) << error.Message();
    } else {
      EXPECT_EQ(error.Message(), row.message);
    }
    ExpectSamePatch(patch, untouched);
  }
}

// Damaged copies of a real document: every one is either read or refused with a message, and
// nothing throws or reads out of bounds.
TEST(CPatchJSON, DamagedDocumentsAreReadOrRefusedCleanly) {
  std::ifstream in(std::string(KVX_EXAMPLES_SOURCE_DIR) + "/templates.json", std::ios::binary);
  std::ostringstream source;
  source << in.rdbuf();
  const std::string original = source.str();
  ASSERT_FALSE(original.empty());
  const std::string pieces[] = {"\"",  "{",  "}",     "[",    "]",    ",",     ":",
                                "300", "-1", "\\u00", "\xC3", "\x80", "1e999", "null"};
  int refused = 0;
  for (unsigned seed = 0; seed < 300; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::string text = original;
    for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits) {
      const std::size_t at = random() % text.size();
      const std::string& piece = pieces[random() % std::size(pieces)];
      if (random() % 2)
        text.erase(at, 1 + random() % 8);
      else
        text.insert(at, piece);
    }
    CPatch patch;
    CPatchJSON::SError error;
    bool read = false;
    EXPECT_NO_THROW(read = CPatchJSON::FromText(text, patch, error));
    if (!read) {
      ++refused;
      EXPECT_FALSE(error.reason.empty());
    }
  }
  EXPECT_GT(refused, 200);
}

}  // namespace

// Patch files through JSON and back: the same bytes for the examples and for random patches
// full of junk, and the import of the older format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <string>

#include "cli/KvxRunner.h"
#include "document/CPatch.h"
#include "document/CSMFReader.h"
#include "export/CPatchJSON.h"
#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"

namespace kvxcli {
namespace {

namespace fs = std::filesystem;

void ExpectSamePatch(const CPatch& expected, const CPatch& actual) {
  EXPECT_EQ(LString::ToStd(expected.PatchTitle()), LString::ToStd(actual.PatchTitle()));
  EXPECT_EQ(expected.GetCopyrights(), actual.GetCopyrights());
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(std::memcmp(expected.GetParam(index), actual.GetParam(index), sizeof(SPatchParam)),
              0);
  }
}

bool IsAlternateCode(std::uint8_t msgType) {
  for (std::uint8_t code : {2, 4, 6, 8, 16, 18, 21, 23})
    if (msgType == code) return true;
  return false;
}

// Every byte random, except that alternate message codes, which every reader turns into their
// partners, are left out. Two names hold all 256 Mac Roman characters between them.
void FillRandom(CPatch& patch, unsigned seed) {
  std::mt19937 random(seed);
  auto byte = [&random] { return static_cast<std::uint8_t>(random() & 0xFF); };
  auto length = [&random](int most) { return std::uniform_int_distribution<int>(0, most)(random); };
  auto bytes = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>(byte());
    return text;
  };

  Str255 title;
  LString::FromStd(bytes(length(kMaxTitleLength)), title);
  patch.SetPatchTitle(title);
  for (int count = length(3); count > 0; --count) {
    const std::string notice = bytes(length(256));
    patch.AddCopyright({notice.begin(), notice.end()});
  }
  patch.AddCopyright({'(', 'c', ')', ' ', 0xA9});
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam& param = *patch.GetParam(index);
    LString::FromStd(bytes(length(128)), param.name, sizeof param.name);
    do param.msgType = byte();
    while (IsAlternateCode(param.msgType));
    param.isEncoder = byte();
    param.options = byte();
    param.outputPort = byte();
    param.channel = byte();
    for (std::uint8_t& data : param.data) data = byte();
  }
  const long first = static_cast<long>(seed % (kControllerCount - 1));
  std::string low, high;
  for (int b = 0; b < 128; ++b) {
    low += static_cast<char>(b);
    high += static_cast<char>(b + 128);
  }
  LString::FromStd(low, patch.GetParam(first)->name, kPatchNameSize);
  LString::FromStd(high, patch.GetParam(first + 1)->name, kPatchNameSize);
}

TEST(KvxRoundTrip, RandomPatchesComeBackByteForByte) {
  StTempFolder folder;
  for (unsigned seed : {1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u}) {
    SCOPED_TRACE(seed);
    CPatch original;
    FillRandom(original, seed);
    const fs::path file = folder / "random.mid";
    ASSERT_EQ(original.SaveSMF(FSSpec::FromPath(file)), 0);

    const SRun json = RunKvx({"json", file.string()});
    ASSERT_EQ(json.status, 0) << json.err;
    CPatch parsed;
    CPatchJSON::SError error;
    ASSERT_TRUE(CPatchJSON::FromText(json.out, parsed, error)) << error.Message();
    ExpectSamePatch(original, parsed);

    WriteText(folder / "random.json", json.out);
    const SRun build =
        RunKvx({"build", (folder / "random.json").string(), (folder / "again.mid").string()});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(ReadBytes(folder / "again.mid"), ReadBytes(file));
    EXPECT_EQ(RunKvx({"json", (folder / "again.mid").string()}).out, json.out);
  }
}

TEST(KvxRoundTrip, EveryExampleIsBuiltAndSurvivesJSON) {
  StTempFolder folder;
  int examples = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(KVX_EXAMPLES_SOURCE_DIR)) {
    if (entry.path().extension() != ".json") continue;
    ++examples;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    const fs::path built = ExamplePatch(name);
    ASSERT_TRUE(fs::exists(built));

    // The file holds exactly what the source says.
    CPatch fromSource;
    CPatchJSON::SError error;
    ASSERT_TRUE(CPatchJSON::FromText(ReadText(entry.path()), fromSource, error)) << error.Message();
    CPatch loaded;
    ASSERT_EQ(loaded.LoadSMF(FSSpec::FromPath(built)), 0);
    ExpectSamePatch(fromSource, loaded);

    // json then build gives the same bytes; build then json the same JSON.
    const SRun json = RunKvx({"json", built.string()});
    ASSERT_EQ(json.status, 0) << json.err;
    WriteText(folder / "example.json", json.out);
    ASSERT_EQ(
        RunKvx({"build", (folder / "example.json").string(), (folder / "example.mid").string()})
            .status,
        0);
    EXPECT_EQ(ReadBytes(folder / "example.mid"), ReadBytes(built));
    EXPECT_EQ(RunKvx({"json", (folder / "example.mid").string()}).out, json.out);
  }
  EXPECT_GE(examples, 2);
}

TEST(KvxRoundTrip, AlternateCodesAreWrittenAsGivenAndReadAsTheirPartner) {
  StTempFolder folder;
  WriteText(folder / "alt.json", R"({"format": "kvx-patch", "version": 1,
      "controllers": [{"index": 9, "msgType": 8, "data": [7, 0, 127]}]})");
  ASSERT_EQ(RunKvx({"build", (folder / "alt.json").string(), (folder / "alt.mid").string()}).status,
            0);
  const std::vector<std::string> dump =
      SplitLines(RunKvx({"dump", (folder / "alt.mid").string()}).out);
  ASSERT_EQ(dump.size(), 50u);
  EXPECT_EQ(dump[9].substr(0, 38), "F0 7D 10 00 00 5C 12 00 00 09 00 00 07");  // read: 7
  CPatch patch;
  ASSERT_EQ(patch.LoadSMF(FSSpec::FromPath(folder / "alt.mid")), 0);
  EXPECT_EQ(patch.GetParam(9)->msgType, 7);
  // In the file itself the dump still says 8.
  const std::vector<std::uint8_t> bytes = ReadBytes(folder / "alt.mid");
  const std::uint8_t address[] = {0x12, 0x00, 0x00, 0x09, 0x00, 0x00, 0x08};
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(address), std::end(address)),
            bytes.end());
}

// Old index -> current index of the older device's 27 controllers.
constexpr long kOldToCurrent[kControllerCount_100] = {0,  1,  2,  3,  4,  5,  6,  7,  9,
                                                      10, 11, 12, 13, 14, 15, 16, 27, 28,
                                                      29, 30, 31, 32, 41, 42, 43, 45, 46};

TEST(KvxImport, OldRecordsLandAtTheirControllersInACurrentFile) {
  StTempFolder folder;
  const fs::path old = ExamplePatch("old-device-v100");
  const fs::path imported = folder / "imported.mid";
  const SRun run = RunKvx({"import", old.string(), imported.string()});
  ASSERT_EQ(run.status, 0) << run.err;

  CPatch patch;
  ASSERT_EQ(patch.LoadSMF(FSSpec::FromPath(imported)), 0);
  CPatch fromSource;
  CPatchJSON::SError error;
  ASSERT_TRUE(CPatchJSON::FromText(ReadText(ExampleSource("old-format/old-device.json")),
                                   fromSource, error))
      << error.Message();
  ExpectSamePatch(fromSource, patch);

  // Each old dump, by its own address, carries the record now at the mapped index.
  CSMFReader reader;
  ASSERT_EQ(reader.OpenFile(FSSpec::FromPath(old)), 0);
  SSMFEvent event;
  long oldIndex = 0;
  while (reader.GetNextEvent(event)) {
    if (event.status != 0xF0) continue;
    SCOPED_TRACE(oldIndex);
    ASSERT_LT(oldIndex, kControllerCount_100);
    ASSERT_GE(event.length, 140);
    EXPECT_EQ(event.data[4], 0x4E);
    EXPECT_EQ(event.data[8], oldIndex);
    const std::uint8_t* image = patch.GetParam(kOldToCurrent[oldIndex])->DeviceImage();
    for (std::size_t k = 0; k < kDeviceImageSize; ++k)
      EXPECT_EQ((event.data[10 + 2 * k] << 4) | event.data[11 + 2 * k], image[k]) << k;
    ++oldIndex;
  }
  EXPECT_EQ(oldIndex, kControllerCount_100);
  EXPECT_EQ(LString::ToStd(patch.GetParam(27)->name), "Kick");  // old index 16 is B1

  const std::vector<std::string> dump = SplitLines(RunKvx({"dump", imported.string()}).out);
  ASSERT_EQ(dump.size(), 50u);
  EXPECT_EQ(dump[0].substr(0, 20), "F0 7D 10 00 00 5C 12");
}

}  // namespace
}  // namespace kvxcli

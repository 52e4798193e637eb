#include "document/CSMFWriter.h"

#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"
#include "support/StTempFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

const Bytes kEmptyFile = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00,
                          0x00, 0x00, 0x01, 0x00, 0x60, 0x4D, 0x54, 0x72, 0x6B,
                          0x00, 0x00, 0x00, 0x04, 0x08, 0xFF, 0x2F, 0x00};
constexpr std::size_t kTrackStart = 22;
constexpr std::size_t kEndOfTrackSize = 4;

Bytes finishedBytes(CSMFWriter& writer) {
  writer.FinishTrack();
  const auto bytes = writer.GetBytes();
  return Bytes(bytes.begin(), bytes.end());
}

// The events a writer appended, without the chunk headers and the End of Track.
Bytes appendedEvents(CSMFWriter& writer) {
  const Bytes file = finishedBytes(writer);
  return Bytes(file.begin() + kTrackStart, file.end() - kEndOfTrackSize);
}

std::uint32_t trackLengthField(const Bytes& file) {
  return (std::uint32_t{file[18]} << 24) | (std::uint32_t{file[19]} << 16) |
         (std::uint32_t{file[20]} << 8) | file[21];
}

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bytes concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A fresh folder per test, removed afterwards.
class SMFWriterFileTest : public ::testing::Test {
 protected:
  kvxtest::StTempFolder mFolder;
};

}  // namespace

TEST(SMFWriter, EmptyWriterGivesHeaderAndEndOfTrackOnly) {
  CSMFWriter writer;
  EXPECT_EQ(finishedBytes(writer), kEmptyFile);
}

TEST(SMFWriter, VariableLengthValues) {
  struct Row {
    const char* name;
    unsigned long value;
    Bytes encoded;
  };
  const Row rows[] = {
      {"zero", 0, {0x00}},
      {"largest one byte", 127, {0x7F}},
      {"smallest two bytes", 128, {0x81, 0x00}},
      {"largest two bytes", 16383, {0xFF, 0x7F}},
      {"smallest three bytes", 16384, {0x81, 0x80, 0x00}},
      {"largest three bytes", 2097151, {0xFF, 0xFF, 0x7F}},
      {"smallest four bytes", 2097152, {0x81, 0x80, 0x80, 0x00}},
      {"largest four bytes", 0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
      {"2^28 loses its top bit", 0x10000000, {0x80, 0x80, 0x80, 0x00}},
      {"all bits set", 0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
  };
  CSMFWriter writer;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    unsigned char out[8] = {};
    const long count = writer.MakeVariableLengthValue(row.value, out);
    ASSERT_EQ(count, static_cast<long>(row.encoded.size()));
    EXPECT_EQ(out[0], row.encoded.size());
    EXPECT_EQ(Bytes(out + 1, out + 1 + count), row.encoded);
  }
}

TEST(SMFWriter, EventEncodings) {
  struct Row {
    const char* name;
    void (*append)(CSMFWriter&);
    Bytes expected;
  };
  const Row rows[] = {
      {"tempo 120",
       [](CSMFWriter& w) { w.OutputTempo(0, 120); },
       {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}},
      {"tempo 1 keeps the low 24 bits",
       [](CSMFWriter& w) { w.OutputTempo(0, 1); },
       {0x00, 0xFF, 0x51, 0x03, 0x93, 0x87, 0x00}},
      {"track name",
       [](CSMFWriter& w) { w.OutputSequenceTrack(0, LStr255("Pad")); },
       {0x00, 0xFF, 0x03, 0x03, 'P', 'a', 'd'}},
      {"empty track name",
       [](CSMFWriter& w) { w.OutputSequenceTrack(0, LStr255("")); },
       {0x00, 0xFF, 0x03, 0x00}},
      {"copyright keeps raw bytes",
       [](CSMFWriter& w) {
         const std::uint8_t notice[] = {0xA9, 0x00, 'K'};
         w.OutputCopyright(0, notice, sizeof notice);
       },
       {0x00, 0xFF, 0x02, 0x03, 0xA9, 0x00, 'K'}},
      {"empty text", [](CSMFWriter& w) { w.OutputText(0, LStr255("")); }, {0x00, 0xFF, 0x01, 0x00}},
      {"text with delta 200",
       [](CSMFWriter& w) { w.OutputText(200, LStr255("x")); },
       {0x81, 0x48, 0xFF, 0x01, 0x01, 'x'}},
      {"generic meta",
       [](CSMFWriter& w) {
         const std::uint8_t key[] = {0x02, 0x00};
         w.OutputMeta(0, 0x59, key, sizeof key);
       },
       {0x00, 0xFF, 0x59, 0x02, 0x02, 0x00}},
      {"short sysex",
       [](CSMFWriter& w) {
         const unsigned char gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
         w.OutputSysx(8, gmOn, sizeof gmOn);
       },
       {0x08, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
      {"sysex from hex digits",
       [](CSMFWriter& w) { w.OutputSysxWithStuffSysx(0, LStr255("F07e7F0901F7"), 6); },
       {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
      {"hex digits: length cut to the digits given",
       [](CSMFWriter& w) { w.OutputSysxWithStuffSysx(0, LStr255("F041F7"), 100); },
       {0x00, 0xF0, 0x02, 0x41, 0xF7}},
      {"hex digits: an odd last digit is dropped",
       [](CSMFWriter& w) { w.OutputSysxWithStuffSysx(0, LStr255("F0F7A"), 3); },
       {0x00, 0xF0, 0x01, 0xF7}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CSMFWriter writer;
    row.append(writer);
    EXPECT_EQ(appendedEvents(writer), row.expected);
  }
}

TEST(SMFWriter, BulkDumpSizedSysExGetsTwoByteLength) {
  Bytes dump(141);
  for (std::size_t i = 0; i < dump.size(); ++i) dump[i] = static_cast<std::uint8_t>(i & 0x7F);
  dump.front() = 0xF0;
  dump.back() = 0xF7;
  CSMFWriter writer;
  writer.OutputSysx(8, dump.data(), static_cast<long>(dump.size()));
  const Bytes expected = concat({0x08, 0xF0, 0x81, 0x0C}, Bytes(dump.begin() + 1, dump.end()));
  EXPECT_EQ(appendedEvents(writer), expected);
}

TEST(SMFWriter, LongTitleGetsTwoByteLength) {
  const std::string title(128, 't');
  CSMFWriter writer;
  writer.OutputSequenceTrack(0, LStr255(title));
  const Bytes expected = concat({0x00, 0xFF, 0x03, 0x81, 0x00}, Bytes(title.begin(), title.end()));
  EXPECT_EQ(appendedEvents(writer), expected);
}

TEST(SMFWriter, TrackLengthCountsEverythingAfterIt) {
  CSMFWriter writer;
  writer.OutputTempo(0, 120);
  writer.OutputText(0, LStr255(std::string(200, 'n')));
  const Bytes file = finishedBytes(writer);
  EXPECT_EQ(trackLengthField(file), file.size() - kTrackStart);
}

TEST(SMFWriter, AppendingAfterFinishingContinuesTheTrack) {
  CSMFWriter direct;
  direct.OutputText(0, LStr255("a"));
  direct.OutputText(0, LStr255("b"));

  CSMFWriter resumed;
  resumed.OutputText(0, LStr255("a"));
  resumed.FinishTrack();
  resumed.FinishTrack();
  resumed.OutputText(0, LStr255("b"));

  EXPECT_EQ(finishedBytes(resumed), finishedBytes(direct));
}

TEST_F(SMFWriterFileTest, CreatesAMissingFile) {
  const fs::path target = mFolder / "new.mid";
  CSMFWriter writer;
  ASSERT_EQ(writer.WriteFile(FSSpec::FromPath(target)), 0);
  EXPECT_EQ(readFile(target), kEmptyFile);
}

TEST_F(SMFWriterFileTest, OverwritingALongerFileLeavesExactlyTheNewContent) {
  const fs::path target = mFolder / "patch.mid";
  writeFile(target, Bytes(5000, 0xAB));
  CSMFWriter writer;
  ASSERT_EQ(writer.WriteFile(FSSpec::FromPath(target)), 0);
  EXPECT_EQ(readFile(target), kEmptyFile);
  EXPECT_EQ(mFolder.EntryCount(), 1u);  // no temporary file left behind
}

TEST_F(SMFWriterFileTest, WritingTwiceWritesTheSameFile) {
  const fs::path target = mFolder / "twice.mid";
  CSMFWriter writer;
  writer.OutputTempo(0, 120);
  ASSERT_EQ(writer.WriteFile(FSSpec::FromPath(target)), 0);
  const Bytes first = readFile(target);
  ASSERT_EQ(writer.WriteFile(FSSpec::FromPath(target)), 0);
  EXPECT_EQ(readFile(target), first);
}

TEST_F(SMFWriterFileTest, UnwritablePlacesFail) {
  writeFile(mFolder / "plain-file", {1, 2, 3});
  struct Row {
    const char* name;
    fs::path target;
  };
  const Row rows[] = {
      {"folder does not exist", mFolder / "missing" / "patch.mid"},
      {"parent is a file", mFolder / "plain-file" / "patch.mid"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CSMFWriter writer;
    EXPECT_EQ(writer.WriteFile(FSSpec::FromPath(row.target)), -1);
    EXPECT_FALSE(fs::exists(row.target));
  }
  EXPECT_EQ(readFile(mFolder / "plain-file"), (Bytes{1, 2, 3}));
}

TEST_F(SMFWriterFileTest, FailedWriteOverAFolderLeavesItIntact) {
  const fs::path target = mFolder / "taken.mid";
  fs::create_directories(target);
  writeFile(target / "inside", {7});
  CSMFWriter writer;
  EXPECT_EQ(writer.WriteFile(FSSpec::FromPath(target)), -1);
  EXPECT_EQ(readFile(target / "inside"), Bytes{7});
  EXPECT_EQ(mFolder.EntryCount(), 1u);  // the temporary file is gone again
}

TEST_F(SMFWriterFileTest, FailedWriteInReadOnlyFolderKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const fs::path target = mFolder / "patch.mid";
  const Bytes old = {'o', 'l', 'd'};
  writeFile(target, old);
  fs::permissions(mFolder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  CSMFWriter writer;
  EXPECT_EQ(writer.WriteFile(FSSpec::FromPath(target)), -1);
  EXPECT_EQ(readFile(target), old);
}

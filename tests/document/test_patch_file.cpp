#include "document/CPatch.h"

#include "support/PatchTestSupport.h"
#include "support/RecordingAlertPresenter.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace kvxtest;

namespace {

constexpr std::size_t kEmptyPatchFileSize = 7460;
constexpr std::size_t kFirstDumpOffset = 56;  // behind header, tempo, empty name, header text
constexpr std::size_t kControllerBlockSize = 148;  // dump event and an empty Text event

// Every test sees its alerts instead of the terminal.
class PatchFile : public ::testing::Test {
 protected:
  CRecordingAlertPresenter mAlerts;
  StAlertPresenter mInstalled{&mAlerts};

  std::vector<int> Alerts() const { return mAlerts.ErrorIndices(); }
};

SPatchParam NamedRecord(long index, const std::string& name) {
  SPatchParam record = MakeRecord(7, static_cast<std::uint8_t>(index % 16),
                                  {static_cast<std::uint8_t>(index), 0, 127});
  SetName(record, name);
  return record;
}

std::string NameOf(long index) { return "param " + std::to_string(index); }

// Dumps of `indices` in the current format, each followed by a Text with its name, 8 ticks apart.
CTrackBuilder& AddNamedDumps(CTrackBuilder& track, const std::vector<long>& indices) {
  for (long index : indices) {
    track.Sysex(8, MakeDump(index, NamedRecord(index, "")));
    track.Text(0, NameOf(index));
  }
  return track;
}

std::vector<long> Range(long first, long last) {
  std::vector<long> indices;
  for (long index = first; index <= last; ++index) indices.push_back(index);
  return indices;
}

// A whole patch file built by hand: tempo, title, header text, then the given dumps.
Bytes ForeignPatchFile(const std::vector<long>& order, const std::string& title = "Foreign") {
  CTrackBuilder track;
  track.Tempo(0).Name(0, title).Copyright(0, Bytes{'(', 'c', ')'}).Text(0, "KVX message set 200");
  AddNamedDumps(track, order);
  track.EndOfTrack(8);
  return BuildMidiFile(0, {track});
}

void ExpectEmptyAfterFailure(const CPatch& patch) {
  EXPECT_EQ(Text(patch.PatchTitle()), "");
  EXPECT_TRUE(patch.GetCopyrights().empty());
  EXPECT_FALSE(patch.IsModified());
}

// A patch with something everywhere: records, names, a title and copyright notices.
void FillRandomPatch(CPatch& patch, unsigned seed) {
  std::mt19937 random(seed);
  for (long index = 0; index < kControllerCount; ++index) *patch.GetParam(index) = RandomRecord(random);
  patch.SetPatchTitle(LStr255(RandomText(random, 128)));
  const std::size_t notices = random() % 4;
  for (std::size_t n = 0; n < notices; ++n) {
    const std::string text = RandomText(random, 256);
    patch.AddCopyright(CPatch::CopyrightNotice(text.begin(), text.end()));
  }
}

void ExpectSamePatch(const CPatch& loaded, const CPatch& saved) {
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    EXPECT_TRUE(SameRecord(*loaded.GetParam(index), *saved.GetParam(index)));
  }
  EXPECT_EQ(Text(loaded.PatchTitle()), Text(saved.PatchTitle()));
  EXPECT_EQ(loaded.GetCopyrights(), saved.GetCopyrights());
}

}  // namespace

// --- what is written

TEST_F(PatchFile, EmptyPatchGolden) {
  CPatch patch;
  const Bytes file = patch.MakeSMFData();
  ASSERT_EQ(file.size(), kEmptyPatchFileSize);

  const Bytes start = {
      0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x60,  // MThd
      0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x1D, 0x0E,  // MTrk, length 7438
      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,        // tempo 120
      0x00, 0xFF, 0x03, 0x00,                          // empty title
      0x00, 0xFF, 0x01, 0x13, 'K', 'V', 'X', ' ', 'm', 'e', 's', 's', 'a', 'g', 'e', ' ',
      's', 'e', 't', ' ', '2', '0', '0',               // header text
      0x08, 0xF0, 0x81, 0x0C,                          // first dump event
  };
  ASSERT_EQ(start.size(), kFirstDumpOffset + 4);
  EXPECT_TRUE(std::equal(start.begin(), start.end(), file.begin()));

  const Bytes tail = {0x00, 0xFF, 0x01, 0x00, 0x08, 0xFF, 0x2F, 0x00};
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), file.end() - 8));
}

TEST_F(PatchFile, EveryControllerIsADumpAndItsName) {
  CPatch patch;
  for (long index = 0; index < kControllerCount; index += 7) {
    SPatchParam record = NamedRecord(index, "");
    patch.SetParam(index, &record);
  }
  const Bytes file = patch.MakeSMFData();
  ASSERT_EQ(file.size(), kEmptyPatchFileSize);
  for (long index = 0; index < kControllerCount; ++index) {
    SCOPED_TRACE(index);
    const auto block = file.begin() + static_cast<long>(kFirstDumpOffset + kControllerBlockSize * index);
    Bytes dump(kBulkDumpSize);
    patch.MakeBulkSysx(index, dump.data());
    EXPECT_TRUE(std::equal(block, block + 4, Bytes{0x08, 0xF0, 0x81, 0x0C}.begin()));
    EXPECT_TRUE(std::equal(dump.begin() + 1, dump.end(), block + 4));
    EXPECT_TRUE(std::equal(block + 144, block + 148, Bytes{0x00, 0xFF, 0x01, 0x00}.begin()));
  }
}

TEST_F(PatchFile, TitleNoticesAndNamesInPlace) {
  CPatch patch;
  patch.SetPatchTitle(LStr255("Live"));
  patch.AddCopyright({'(', 'c', ')', ' ', 'K'});
  patch.AddCopyright({0x00, 0xFF, 0x7F});
  SPatchParam record = NamedRecord(0, "Cutoff");
  patch.SetParam(0, &record);
  const Bytes file = patch.MakeSMFData();

  const Bytes events = {
      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,                    // tempo
      0x00, 0xFF, 0x03, 0x04, 'L', 'i', 'v', 'e',                   // title
      0x00, 0xFF, 0x02, 0x05, '(', 'c', ')', ' ', 'K',              // notices in stored order
      0x00, 0xFF, 0x02, 0x03, 0x00, 0xFF, 0x7F,
      0x00, 0xFF, 0x01, 0x13,                                        // header text ...
  };
  EXPECT_TRUE(std::equal(events.begin(), events.end(), file.begin() + 22));
  const std::size_t nameAt = 22 + events.size() + 19 + 4 + 140;
  const Bytes name = {0x00, 0xFF, 0x01, 0x06, 'C', 'u', 't', 'o', 'f', 'f', 0x08, 0xF0};
  EXPECT_TRUE(std::equal(name.begin(), name.end(), file.begin() + static_cast<long>(nameAt)));
  EXPECT_EQ(file.size(), kEmptyPatchFileSize + 4 + 9 + 7 + 6);
}

TEST_F(PatchFile, LongTitleHasTwoByteLength) {
  const std::string title(128, 'T');
  CPatch patch;
  patch.SetPatchTitle(LStr255(title));
  const Bytes file = patch.MakeSMFData();
  const Bytes event = {0x00, 0xFF, 0x03, 0x81, 0x00, 'T'};
  EXPECT_TRUE(std::equal(event.begin(), event.end(), file.begin() + 29));

  CPatch loaded;
  CRecordingListener listener(loaded, {msg_TitleLoaded});
  ASSERT_EQ(loaded.LoadSMFData(file), 0);
  EXPECT_EQ(Text(loaded.PatchTitle()), title);
  ASSERT_EQ(listener.Messages().back().message, msg_TitleLoaded);
  EXPECT_EQ(listener.Messages().back().text, title);
}

// --- round trips

TEST_F(PatchFile, RandomPatchesRoundTrip) {
  for (unsigned seed : {1u, 2u, 3u, 17u, 42u, 1000u, 65535u, 20240601u}) {
    SCOPED_TRACE(seed);
    CPatch saved;
    FillRandomPatch(saved, seed);
    CPatch loaded;
    FillRandomPatch(loaded, seed + 1);  // whatever was there before goes
    CRecordingListener listener(loaded, {msg_TitleLoaded});

    ASSERT_EQ(loaded.LoadSMFData(saved.MakeSMFData()), 0);
    ExpectSamePatch(loaded, saved);
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_TRUE(Alerts().empty());

    std::vector<MessageT> expected{msg_PatchInit};
    expected.insert(expected.end(), kControllerCount, msg_ParamLoaded);
    expected.push_back(msg_TitleLoaded);
    EXPECT_EQ(listener.MessageCodes(), expected);
    EXPECT_EQ(listener.IndicesOf(msg_ParamLoaded), Range(0, 49));
  }
}

TEST_F(PatchFile, SaveAndLoadThroughFiles) {
  StTempFolder folder;
  CPatch saved;
  FillRandomPatch(saved, 5);
  ASSERT_TRUE(saved.IsModified());
  const FSSpec file = folder.Spec("patch.mid");

  ASSERT_EQ(saved.SaveSMF(file), 0);
  EXPECT_FALSE(saved.IsModified());
  EXPECT_EQ(ReadWholeFile(file.Path()), saved.MakeSMFData());

  CPatch loaded;
  ASSERT_EQ(loaded.LoadSMF(file), 0);
  ExpectSamePatch(loaded, saved);
  EXPECT_FALSE(loaded.IsModified());
  EXPECT_TRUE(Alerts().empty());
}

TEST_F(PatchFile, SaveReplacesLongerFileExactly) {
  StTempFolder folder;
  const FSSpec file = folder.Spec("patch.mid");
  WriteWholeFile(file.Path(), Bytes(20000, 0x55));
  CPatch patch;
  ASSERT_EQ(patch.SaveSMF(file), 0);
  EXPECT_EQ(ReadWholeFile(file.Path()), patch.MakeSMFData());
}

// --- failed saves

TEST_F(PatchFile, SaveIntoMissingFolderFails) {
  StTempFolder folder;
  CPatch patch;
  patch.SetPatchTitle(LStr255("unsaved"));
  const FSSpec file = FSSpec::FromPath(folder.Path() / "missing" / "patch.mid");
  EXPECT_EQ(patch.SaveSMF(file), -1);
  EXPECT_TRUE(patch.IsModified());
  EXPECT_FALSE(std::filesystem::exists(file.Path()));
  EXPECT_TRUE(Alerts().empty()) << "the document reports failed saves";
}

// Runs `body` in a child process without the superuser's right to write anywhere, and gives
// its exit status; 99 when the child could not give up the rights.
int RunUnprivileged(const std::function<int()>& body) {
  if (::geteuid() != 0) return body();
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    ::_exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_F(PatchFile, FailedSaveKeepsTheOldFile) {
  StTempFolder folder;
  const std::filesystem::path locked = folder.Path() / "locked";
  std::filesystem::create_directory(locked);
  const FSSpec file = FSSpec::FromPath(locked / "patch.mid");
  CPatch old;
  old.SetPatchTitle(LStr255("old"));
  const Bytes oldBytes = old.MakeSMFData();
  WriteWholeFile(file.Path(), oldBytes);
  ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);

  const int status = RunUnprivileged([&] {
    CPatch patch;
    FillRandomPatch(patch, 9);
    const short result = patch.SaveSMF(file);
    return result == -1 && patch.IsModified() ? 0 : 1;
  });
  ::chmod(locked.c_str(), 0755);
  if (status == 99) GTEST_SKIP() << "cannot drop the superuser's rights here";
  EXPECT_EQ(status, 0) << "SaveSMF must give -1 and leave the patch modified";
  EXPECT_EQ(ReadWholeFile(file.Path()), oldBytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked), {}), 1)
      << "no temporary file is left behind";
}

// --- what is read from foreign files

TEST_F(PatchFile, TitleIsTheFirstSequenceNameCutTo128) {
  CTrackBuilder track;
  track.Name(0, std::string(200, 'x') + "tail").Name(0, "second");
  AddNamedDumps(track, Range(0, 49)).EndOfTrack();
  CPatch patch;
  ASSERT_EQ(patch.LoadSMFData(BuildMidiFile(0, {track})), 0);
  EXPECT_EQ(Text(patch.PatchTitle()), std::string(128, 'x'));
}

TEST_F(PatchFile, NoSequenceNameNoTitleBroadcast) {
  CTrackBuilder track;
  AddNamedDumps(track, Range(0, 49)).EndOfTrack();
  CPatch patch;
  patch.SetPatchTitle(LStr255("before"));
  CRecordingListener listener(patch);
  ASSERT_EQ(patch.LoadSMFData(BuildMidiFile(0, {track})), 0);
  EXPECT_EQ(Text(patch.PatchTitle()), "");
  EXPECT_TRUE(listener.IndicesOf(msg_TitleLoaded).empty());
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_EQ(Text(patch.GetParam(index)->name), NameOf(index));
}

TEST_F(PatchFile, NamesComeOnlyFromTextDirectlyBehindTheDump) {
  CTrackBuilder track;
  track.Tempo(0);
  track.Sysex(8, MakeDump(0, NamedRecord(0, ""))).Text(30, "late but direct");
  track.Sysex(8, MakeDump(1, NamedRecord(1, ""))).Tempo(0).Text(0, "behind a tempo");
  track.Sysex(8, MakeDump(2, NamedRecord(2, ""))).Channel(0, {0x90, 0x3C, 0x40}).Text(0, "behind a note");
  track.Sysex(8, MakeDump(3, NamedRecord(3, ""))).Text(0, std::string(200, 'n'));
  track.Sysex(8, MakeDump(4, NamedRecord(4, ""))).Meta(0, 0x05, "lyric").Text(0, "behind a lyric");
  AddNamedDumps(track, Range(5, 49)).EndOfTrack();
  CPatch patch;
  ASSERT_EQ(patch.LoadSMFData(BuildMidiFile(0, {track})), 0);
  EXPECT_EQ(Text(patch.GetParam(0)->name), "late but direct");
  EXPECT_EQ(Text(patch.GetParam(1)->name), "");
  EXPECT_EQ(Text(patch.GetParam(2)->name), "");
  EXPECT_EQ(Text(patch.GetParam(3)->name), std::string(128, 'n'));
  EXPECT_EQ(Text(patch.GetParam(4)->name), "");
  EXPECT_EQ(Text(patch.GetParam(5)->name), NameOf(5));
}

TEST_F(PatchFile, OtherEventsAreIgnored) {
  CTrackBuilder track;
  track.Channel(0, {0xC0, 0x05}).Text(0, "not a header text").Meta(0, 0x7F, Bytes{1, 2, 3});
  track.Channel(0, {0x90, 0x3C, 0x40}).Channel(0, {0x3C, 0x00});  // running status
  AddNamedDumps(track, Range(0, 24));
  track.Meta(0, 0x06, "marker").Copyright(0, Bytes{'c'});
  AddNamedDumps(track, Range(25, 49)).Copyright(0, Bytes{'d'}).EndOfTrack();
  CPatch patch;
  ASSERT_EQ(patch.LoadSMFData(BuildMidiFile(0, {track})), 0);
  EXPECT_EQ(patch.GetCopyrights(), (std::vector<CPatch::CopyrightNotice>{{'c'}, {'d'}}));
  EXPECT_EQ(patch.GetAssignMessage(49), 7);
}

TEST_F(PatchFile, FormatOneWithDumpsInTwoTracks) {
  // Track 1 holds the even controllers, track 2 the odd ones; merged they come 0 to 49.
  // Track 2 starts with a Text at the time of dump 0: it is not dump 0's name.
  CTrackBuilder first;
  CTrackBuilder second;
  first.Name(0, "Two tracks");
  second.Text(8, "other track");
  for (long index = 0; index < kControllerCount; ++index) {
    CTrackBuilder& track = index % 2 == 0 ? first : second;
    track.Sysex(index < 2 ? 8 : 16, MakeDump(index, NamedRecord(index, "")));
    if (index != 0) track.Text(0, NameOf(index));
  }
  first.EndOfTrack();
  second.EndOfTrack();
  CPatch patch;
  CRecordingListener listener(patch);
  ASSERT_EQ(patch.LoadSMFData(BuildMidiFile(1, {first, second})), 0);
  EXPECT_EQ(listener.IndicesOf(msg_ParamLoaded), Range(0, 49));
  EXPECT_EQ(Text(patch.PatchTitle()), "Two tracks");
  EXPECT_EQ(Text(patch.GetParam(0)->name), "");
  for (long index = 1; index < kControllerCount; ++index)
    EXPECT_EQ(Text(patch.GetParam(index)->name), NameOf(index)) << index;
  for (long index = 0; index < kControllerCount; ++index)
    EXPECT_EQ(patch.GetParam(index)->data[0], index);
}

// --- what is refused

struct SRefusedRow {
  const char* name;
  Bytes file;
  std::vector<long> loaded;  // 'Plod' before the refusal
};

TEST_F(PatchFile, WrongDumpSequencesAreRefused) {
  std::vector<long> outOfOrder = {0, 1, 3, 2};
  for (long index = 4; index < kControllerCount; ++index) outOfOrder.push_back(index);
  std::vector<long> twice = Range(0, 49);
  twice.push_back(49);
  std::vector<long> skipped = Range(0, 49);
  skipped.erase(skipped.begin() + 20);

  CTrackBuilder gmFirst;
  gmFirst.Sysex(0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
  AddNamedDumps(gmFirst, Range(0, 49)).EndOfTrack();
  CTrackBuilder gmLast;
  AddNamedDumps(gmLast, Range(0, 49)).Sysex(0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}).EndOfTrack();
  CTrackBuilder nothing;
  nothing.Name(0, "no dumps").EndOfTrack();

  const SRefusedRow rows[] = {
      {"order 0, 1, 3, 2", ForeignPatchFile(outOfOrder), {0, 1}},
      {"49 dumps", ForeignPatchFile(Range(0, 48)), Range(0, 48)},
      {"51 dumps", ForeignPatchFile(twice), Range(0, 49)},
      {"one missing", ForeignPatchFile(skipped), Range(0, 19)},
      {"starts at 1", ForeignPatchFile(Range(1, 49)), {}},
      {"GM System On in front", BuildMidiFile(0, {gmFirst}), {}},
      {"GM System On behind", BuildMidiFile(0, {gmLast}), Range(0, 49)},
      {"no dumps", BuildMidiFile(0, {nothing}), {}},
      {"no tracks", BuildMidiFile(0, {}), {}},
  };
  for (const SRefusedRow& row : rows) {
    SCOPED_TRACE(row.name);
    mAlerts.Clear();
    CPatch patch;
    patch.AddCopyright({'x'});
    CRecordingListener listener(patch);
    EXPECT_EQ(patch.LoadSMFData(row.file), -1);
    EXPECT_EQ(Alerts(), std::vector<int>{4});
    EXPECT_EQ(listener.IndicesOf(msg_ParamLoaded), row.loaded);
    EXPECT_TRUE(listener.IndicesOf(msg_TitleLoaded).empty());
    ExpectEmptyAfterFailure(patch);
    // What was read before the refusal stays.
    for (long index : row.loaded) EXPECT_EQ(patch.GetParam(index)->data[0], index);
  }
}

TEST_F(PatchFile, DumpsWithWrongChecksumsLoadWithOneWarningNamingThem) {
  struct SRow {
    const char* name;
    std::vector<long> damaged;
    std::string named;  // in the warning; "" for no warning
  } rows[] = {
      {"none", {}, ""},
      {"one", {0}, "R1"},
      {"two", {3, 27}, "R4, B1"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    CTrackBuilder track;
    for (long index = 0; index < kControllerCount; ++index) {
      Bytes dump = MakeDump(index, NamedRecord(index, ""));
      if (std::find(row.damaged.begin(), row.damaged.end(), index) != row.damaged.end())
        dump.at(139) = static_cast<std::uint8_t>((dump.at(139) + 1) & 0x7F);
      track.Sysex(8, dump);
    }
    track.EndOfTrack(8);
    mAlerts.Clear();
    CPatch patch;
    ASSERT_EQ(patch.LoadSMFData(BuildMidiFile(0, {track})), 0);
    for (long index = 0; index < kControllerCount; ++index)
      EXPECT_TRUE(SameRecord(*patch.GetParam(index), NamedRecord(index, ""))) << index;
    EXPECT_EQ(patch.GetDamagedDumps(), row.damaged);
    if (row.named.empty()) {
      EXPECT_TRUE(mAlerts.Alerts().empty());
    } else {
      ASSERT_EQ(mAlerts.Alerts().size(), 1u);
      EXPECT_NE(mAlerts.Alerts()[0].message.find(": " + row.named + "."), std::string::npos);
    }
    EXPECT_EQ(patch.LoadSMFData(patch.MakeSMFData()), 0);
    EXPECT_TRUE(patch.GetDamagedDumps().empty()) << "saving writes right checksums";
  }
}

TEST_F(PatchFile, NotMidiFilesGiveTheReaderCode) {
  Bytes format2 = ForeignPatchFile(Range(0, 49));
  format2[9] = 2;
  Bytes missingTrack = ForeignPatchFile(Range(0, 49));
  missingTrack[11] = 2;  // announces a second track that is not there
  Bytes otherChunk = ForeignPatchFile(Range(0, 49));
  otherChunk[14] = 'X';
  Bytes hugeChunk = ForeignPatchFile(Range(0, 49));
  for (std::size_t k = 18; k < 22; ++k) hugeChunk[k] = 0xFF;
  Bytes pastTheEnd = ForeignPatchFile(Range(0, 49));
  const std::uint32_t trackLength = (std::uint32_t{pastTheEnd[18]} << 24) |
                                    (std::uint32_t{pastTheEnd[19]} << 16) |
                                    (std::uint32_t{pastTheEnd[20]} << 8) | pastTheEnd[21];
  Bytes longer;
  AppendBigEndian(longer, trackLength + 10, 4);
  std::copy(longer.begin(), longer.end(), pastTheEnd.begin() + 18);

  struct SRow {
    const char* name;
    Bytes file;
    short result;
  };
  const SRow rows[] = {
      {"empty", {}, 1},
      {"13 bytes", Bytes(format2.begin(), format2.begin() + 13), 1},
      {"RIFF", {'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60}, 1},
      {"header length 7", {'M', 'T', 'h', 'd', 0, 0, 0, 7, 0, 0, 0, 1, 0, 0x60}, 1},
      {"format 2", format2, 2},
      {"announced track missing", missingTrack, 3},
      {"other chunk type", otherChunk, 3},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    mAlerts.Clear();
    CPatch patch;
    EXPECT_EQ(patch.LoadSMFData(row.file), row.result);
    EXPECT_EQ(Alerts(), std::vector<int>{3});
    ExpectEmptyAfterFailure(patch);
  }

  // A chunk longer than the file is refused by the reader or cut by it; either way the load
  // fails with its alert.
  for (const Bytes* file : std::vector<const Bytes*>{&hugeChunk, &pastTheEnd}) {
    mAlerts.Clear();
    CPatch patch;
    const short result = patch.LoadSMFData(*file);
    EXPECT_TRUE(result == 3 || result == -1) << result;
    EXPECT_EQ(Alerts(), std::vector<int>{result == 3 ? 3 : 4});
  }
}

TEST_F(PatchFile, UnreadableFilesGiveCode3AndSayWhy) {
  StTempFolder folder;
  std::filesystem::create_directory(folder / "patches.mid");
  // Sparse: the size without the disk space.
  std::ofstream(folder / "huge.mid").close();
  std::filesystem::resize_file(folder / "huge.mid", 3ull << 30);
  std::ofstream(folder / "over.mid").close();
  std::filesystem::resize_file(folder / "over.mid", CPatch::kMaxFileSize + 1);
  struct SRow {
    const char* name;
    FSSpec file;
    std::string message;
  } rows[] = {
      {"missing", folder.Spec("absent.mid"), "\"absent.mid\" cannot be opened: it does not exist."},
      {"a folder", folder.Spec("patches.mid"),
       "\"patches.mid\" cannot be opened: it is a folder."},
      {"a folder on the way", folder.Spec("patches.mid/x.mid"),
       "\"x.mid\" cannot be opened: it does not exist."},
      {"3 GB", folder.Spec("huge.mid"),
       "\"huge.mid\" cannot be opened: it is too large for a patch file (over 1 MB)."},
      {"one byte over the bound", folder.Spec("over.mid"),
       "\"over.mid\" cannot be opened: it is too large for a patch file (over 1 MB)."},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    mAlerts.Clear();
    CPatch patch;
    EXPECT_EQ(patch.LoadSMF(row.file), 3);
    ASSERT_EQ(mAlerts.Alerts().size(), 1u);
    EXPECT_EQ(mAlerts.Alerts()[0].message, row.message);
  }
  // A file at the bound is read (and refused for what it holds).
  std::filesystem::resize_file(folder / "over.mid", CPatch::kMaxFileSize);
  CPatch patch;
  EXPECT_EQ(patch.LoadSMF(folder.Spec("over.mid")), 1);
}

// --- damaged files never crash

// The outcomes a damaged file may have: the reader's code with alert 3, or -1 with alert 4.
void ExpectCleanFailure(short result, const std::vector<int>& alerts) {
  if (result == -1) {
    EXPECT_EQ(alerts, std::vector<int>{4});
  } else {
    EXPECT_TRUE(result >= 1 && result <= 3) << result;
    EXPECT_EQ(alerts, std::vector<int>{3});
  }
}

TEST_F(PatchFile, FileCutAtEveryLength) {
  CPatch source;
  FillRandomPatch(source, 77);
  const Bytes whole = source.MakeSMFData();
  CPatch patch;
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    mAlerts.Clear();
    const short result = patch.LoadSMFData(std::span(whole.data(), length));
    if (length < 14) {
      EXPECT_EQ(result, 1);
    }
    ExpectCleanFailure(result, Alerts());
    EXPECT_EQ(Text(patch.PatchTitle()), "");
    EXPECT_TRUE(patch.GetCopyrights().empty());
    if (HasFailure()) break;  // one report is enough
  }
}

TEST_F(PatchFile, GarbageNeverCrashes) {
  std::mt19937 random(31337);
  std::uniform_int_distribution<int> byte(0, 255);
  CPatch source;
  FillRandomPatch(source, 3);
  const Bytes valid = source.MakeSMFData();
  CPatch patch;
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    Bytes file;
    if (round % 3 == 0) {
      file.resize(random() % 9000);
      for (std::uint8_t& b : file) b = static_cast<std::uint8_t>(byte(random));
    } else if (round % 3 == 1) {
      // A sound header and track preamble over random events.
      file = Bytes(valid.begin(), valid.begin() + 22);
      file.resize(valid.size());
      for (std::size_t k = 22; k < file.size(); ++k) file[k] = static_cast<std::uint8_t>(byte(random));
    } else {
      // A valid file with a few bytes changed: it may even still load.
      file = valid;
      for (int flips = 1 + round % 5; flips > 0; --flips)
        file[random() % file.size()] = static_cast<std::uint8_t>(byte(random));
    }
    mAlerts.Clear();
    const short result = patch.LoadSMFData(file);
    if (result == 0) {
      // A changed dump byte still loads, with the one warning about its checksum.
      EXPECT_EQ(Alerts().size(), patch.GetDamagedDumps().empty() ? 0u : 1u);
    } else {
      ExpectCleanFailure(result, Alerts());
    }
  }
}

// --- the older format

Bytes OldPatchFile(long dumps, const std::string& title = "Old") {
  CTrackBuilder track;
  track.Tempo(0).Name(0, title).Text(0, "KVX message set 100");
  for (long oldIndex = 0; oldIndex < dumps; ++oldIndex) {
    track.Sysex(8, MakeOldDump(oldIndex, NamedRecord(oldIndex, "")));
    track.Text(0, "old " + std::to_string(oldIndex));
  }
  track.EndOfTrack(8);
  return BuildMidiFile(0, {track});
}

TEST_F(PatchFile, ImportOfOlderFormat) {
  CPatch patch;
  patch.SetVersion(100);
  CRecordingListener listener(patch);
  ASSERT_EQ(patch.LoadSMFData(OldPatchFile(27)), 0);
  EXPECT_TRUE(Alerts().empty());

  const std::vector<long> filled = {0,  1,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 13, 14,
                                    15, 16, 27, 28, 29, 30, 31, 32, 41, 42, 43, 45, 46};
  EXPECT_EQ(listener.IndicesOf(msg_ParamLoaded), filled);
  EXPECT_EQ(patch.GetParam(27)->data[0], 16) << "old index 16 is B1";
  EXPECT_EQ(Text(patch.GetParam(27)->name), "old 16");
  EXPECT_EQ(Text(patch.PatchTitle()), "Old");
  for (long index = 0; index < kControllerCount; ++index) {
    const bool used = std::find(filled.begin(), filled.end(), index) != filled.end();
    EXPECT_EQ(patch.GetAssignMessage(index), used ? 7 : 0) << index;
  }

  // Saved again in the current format.
  patch.SetCurrentVersion();
  CPatch current;
  ASSERT_EQ(current.LoadSMFData(patch.MakeSMFData()), 0);
  ExpectSamePatch(current, patch);
}

TEST_F(PatchFile, ImportRefusals) {
  struct SRow {
    const char* name;
    Bytes file;
  };
  const SRow rows[] = {
      {"current file", ForeignPatchFile(Range(0, 49))},
      {"26 old dumps", OldPatchFile(26)},
      {"28 old dumps", OldPatchFile(28)},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    mAlerts.Clear();
    CPatch patch;
    patch.SetVersion(100);
    EXPECT_EQ(patch.LoadSMFData(row.file), -1);
    EXPECT_EQ(Alerts(), std::vector<int>{8});
    EXPECT_EQ(patch.GetVersion(), 100u);
  }
  mAlerts.Clear();
  CPatch current;
  EXPECT_EQ(current.LoadSMFData(OldPatchFile(27)), -1) << "an old file read as a current one";
  EXPECT_EQ(Alerts(), std::vector<int>{err_OldFormatFile}) << "it points to Import";

  // An older dump behind current ones is a damaged file, not an older one.
  CTrackBuilder mixed;
  AddNamedDumps(mixed, Range(0, 1)).Sysex(8, MakeOldDump(2, SPatchParam{})).EndOfTrack();
  mAlerts.Clear();
  EXPECT_EQ(current.LoadSMFData(BuildMidiFile(0, {mixed})), -1);
  EXPECT_EQ(Alerts(), std::vector<int>{err_NotPatchFile});
}

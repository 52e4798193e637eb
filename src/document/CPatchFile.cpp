// The patch file: a Standard MIDI File whose single track holds the title, the copyright
// notices, a header text and the 50 bulk dumps, each followed by a Text event with the
// controller's parameter name.
#include "document/CPatch.h"

#include "document/CSMFReader.h"
#include "document/CSMFWriter.h"
#include "framework/core/LString.h"
#include "framework/core/MidiBytes.h"
#include "utilities/UAlert.h"
#include "utilities/UFileUtils.h"

#include <filesystem>

namespace {

constexpr unsigned long kPatchTempo = 120;
constexpr unsigned long kDumpDelta = 8;  // ticks between dumps, about 42 ms at 120 bpm
constexpr std::uint8_t kMetaText = 0x01;
constexpr std::uint8_t kMetaCopyright = 0x02;
constexpr std::uint8_t kMetaSequenceName = 0x03;

bool IsMeta(const SSMFEvent& event, std::uint8_t type) {
  return event.status == kMetaEvent && event.metaType == type;
}

// A Text event right behind the last event in the same track (the dump's parameter name).
bool TrackHasTextNext(const CSMFReader::CTrack* track) {
  if (track == nullptr || !track->ValidNextEvent()) return false;
  std::uint8_t metaType = 0;
  return track->GetNextEventStatus(&metaType) == kMetaEvent && metaType == kMetaText;
}

// A dump of the older device, told by its header at the positions compared on receipt.
bool IsOldFormatDump(const unsigned char* bytes, long length) {
  constexpr long kOldCheckPos[] = {0, 1, 3, 4, 5};
  constexpr long kOldMinLength = 140;
  if (length < kOldMinLength) return false;
  for (long pos : kOldCheckPos)
    if (bytes[pos] != kBulkHeader_100[pos]) return false;
  return true;
}

// Told before reading, as the reader takes a file whole.
bool IsTooLarge(const std::filesystem::path& file) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  return !error && size > CPatch::kMaxFileSize;
}

}  // namespace

void CPatch::WritePatchEvents(CSMFWriter& writer) const {
  writer.OutputTempo(0, kPatchTempo);
  writer.OutputSequenceTrack(0, mTitle);
  for (const CopyrightNotice& notice : mCopyrights)
    writer.OutputCopyright(0, notice.data(), static_cast<long>(notice.size()));
  writer.OutputText(0, kSMFHeaderText);
  unsigned char dump[kBulkDumpSize];
  for (long index = 0; index < kControllerCount; ++index) {
    const long length = MakeBulkSysx(index, dump);
    writer.OutputSysx(kDumpDelta, dump, length);
    writer.OutputText(0, mParams[index].name);
  }
}

std::vector<std::uint8_t> CPatch::MakeSMFData() const {
  CSMFWriter writer;
  WritePatchEvents(writer);
  writer.FinishTrack();
  const std::span<const std::uint8_t> bytes = writer.GetBytes();
  return {bytes.begin(), bytes.end()};
}

short CPatch::SaveSMF(const FSSpec& file) {
  short result = -1;
  try {
    CSMFWriter writer;
    WritePatchEvents(writer);
    // The writer replaces the file through a temporary one: a failure leaves the old file.
    result = writer.WriteFile(file);
  } catch (...) {
    result = -1;
  }
  if (result != 0) return -1;
  mModified = false;
  return 0;
}

short CPatch::LoadSMF(const FSSpec& file) {
  InitAllParams();
  // A folder, a missing file or one the user may not read is no damaged MIDI file: say what
  // is in the way.
  const std::filesystem::path path = file.Path();
  std::string problemText;
  if (const int problem = UFileUtils::FindFileProblem(path, UFileUtils::EFileUse::Read)) {
    problemText = UFileUtils::DescribeFileProblem(problem, UFileUtils::EFileUse::Read);
  } else if (IsTooLarge(path)) {
    problemText = "it is too large for a patch file (over 1 MB)";
  }
  if (!problemText.empty()) {
    UAlert::ErrorAlert(
        UAlert::GetMessage(err_CannotOpenFile, UFileUtils::DisplayName(path), problemText));
    return CSMFReader::kErrRead;
  }
  CSMFReader reader;
  const short openResult = reader.OpenFile(file);
  return ReadPatchEvents(reader, openResult, UFileUtils::DisplayName(path));
}

short CPatch::LoadSMFData(std::span<const std::uint8_t> bytes) {
  InitAllParams();
  CSMFReader reader;
  const short openResult = reader.OpenData(bytes);
  return ReadPatchEvents(reader, openResult, {});
}

// Takes the dumps in the merged event order; they must be controllers 0, 1, 2 ... and nothing
// else may be SysEx. The title is stored only when the whole patch was read.
short CPatch::ReadPatchEvents(CSMFReader& reader, short openResult,
                              const std::string& displayName) {
  if (openResult != 0) {
    UAlert::FileErrorAlert(err_NotMidiFile, displayName);
    return openResult;
  }
  const bool old = mVersion == kPatchVersion_100;
  const long count = old ? kControllerCount_100 : kControllerCount;
  long expected = 0;
  bool success = false;
  bool titleSeen = false;
  bool oldFormatSeen = false;
  unsigned char title[kMaxTitleLength + 1] = {0};

  SSMFEvent event;
  while (reader.GetNextEvent(event)) {
    if (event.status == kSysexStart) {
      const long index = CheckBulkSysx(event.data, event.length);
      if (index != expected) {
        // An older file opened directly: its first dump is one of the older format.
        oldFormatSeen = !old && expected == 0 && IsOldFormatDump(event.data, event.length);
        success = false;
        break;
      }
      ExtractBulkData(index, event.data);
      long filled = GetDumpTargetIndex(index);
      // Kept all the same: other tools may have written the file; the caller warns.
      if (!HasValidChecksum(event.data, event.length)) NoteDamagedDump(filled);
      CSMFReader::CTrack* track = reader.GetCurTrack();
      if (TrackHasTextNext(track)) {
        // Read it from its track now, so the merged reading does not see it again.
        SSMFEvent text;
        if (track->ReadEvent(text) != 0) {
          success = false;
          break;
        }
        text.GetString(mParams[filled].name, kPatchNameSize);
      }
      msg_ParamLoaded.Send(*this, static_cast<std::int32_t>(filled));
      success = true;
      ++expected;
    } else if (IsMeta(event, kMetaCopyright)) {
      mCopyrights.emplace_back(event.data, event.data + event.length);
    } else if (IsMeta(event, kMetaSequenceName) && !titleSeen) {
      event.GetString(title, sizeof title);
      titleSeen = true;
    }
  }

  if (success && expected == count) {
    if (titleSeen) {
      LString::CopyPStr(title, mTitle, sizeof mTitle);
      msg_TitleLoaded.Send(*this, mTitle[0]);
    }
    if (!mDamagedDumps.empty())
      UAlert::ErrorAlert(UAlert::GetMessage(err_DamagedFileDumps, GetDamagedDumpsText()));
    return 0;
  }
  mCopyrights.clear();
  UAlert::FileErrorAlert(
      oldFormatSeen ? err_OldFormatFile : (old ? err_NotOldPatchFile : err_NotPatchFile),
      displayName);
  return -1;
}

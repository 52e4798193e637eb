#include "document/CSMFWriter.h"

#include "framework/core/LFile.h"
#include "framework/core/MidiBytes.h"
#include "utilities/UStringUtils.h"

#include <algorithm>
#include <array>
#include <exception>

namespace {

constexpr std::uint8_t kMetaText = 0x01;
constexpr std::uint8_t kMetaCopyright = 0x02;
constexpr std::uint8_t kMetaSequenceTrackName = 0x03;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaSetTempo = 0x51;

constexpr std::uint16_t kFormat = 0;
constexpr std::uint16_t kTrackCount = 1;
constexpr std::uint16_t kDivision = 96;  // ticks per quarter note
constexpr std::uint32_t kHeaderLength = 6;
constexpr unsigned long kEndOfTrackDelta = 8;

constexpr unsigned long kMicrosecondsPerMinute = 60000000;

// Room for the byte count and up to four encoded bytes.
using VariableLengthBuffer = std::array<unsigned char, 5>;

}  // namespace

CSMFWriter::CSMFWriter() {
  mStream.WriteData("MThd", 4);
  mStream << kHeaderLength << kFormat << kTrackCount << kDivision;
  mStream.WriteData("MTrk", 4);
  mTrackLengthPos = mStream.GetMarker();
  mStream << std::uint32_t{0};
}

short CSMFWriter::WriteFile(const FSSpec& file) {
  FinishTrack();
  try {
    const auto bytes = mStream.GetBytes();
    LFile(file).WriteDataFork(bytes.data(), bytes.size());
  } catch (const std::exception&) {
    // The file layer writes through a temporary file, so the old content is still there.
    return -1;
  }
  return 0;
}

void CSMFWriter::FinishTrack() {
  if (mFinished) return;
  mEndOfTrackPos = mStream.GetMarker();
  OutputMeta(kEndOfTrackDelta, kMetaEndOfTrack, nullptr, 0);
  const std::size_t end = mStream.GetMarker();
  mStream.SetMarker(mTrackLengthPos);
  mStream << static_cast<std::uint32_t>(end - mTrackLengthPos - 4);
  mStream.SetMarker(end);
  mFinished = true;
}

void CSMFWriter::ReopenTrack() {
  if (!mFinished) return;
  mStream.SetLength(mEndOfTrackPos);
  mFinished = false;
}

void CSMFWriter::OutputTempo(unsigned long delta, unsigned long bpm) {
  const unsigned long microsecondsPerQuarter = bpm == 0 ? 0 : kMicrosecondsPerMinute / bpm;
  const std::uint8_t data[3] = {static_cast<std::uint8_t>(microsecondsPerQuarter >> 16),
                                static_cast<std::uint8_t>(microsecondsPerQuarter >> 8),
                                static_cast<std::uint8_t>(microsecondsPerQuarter)};
  OutputMeta(delta, kMetaSetTempo, data, sizeof data);
}

void CSMFWriter::OutputSequenceTrack(unsigned long delta, const unsigned char* title) {
  OutputMeta(delta, kMetaSequenceTrackName, title ? title + 1 : nullptr, title ? title[0] : 0);
}

void CSMFWriter::OutputCopyright(unsigned long delta, const void* bytes, long length) {
  OutputMeta(delta, kMetaCopyright, bytes, length);
}

void CSMFWriter::OutputText(unsigned long delta, const unsigned char* text) {
  OutputMeta(delta, kMetaText, text ? text + 1 : nullptr, text ? text[0] : 0);
}

void CSMFWriter::OutputMeta(unsigned long delta, unsigned char type, const void* bytes,
                            long length) {
  ReopenTrack();
  if (bytes == nullptr || length < 0) length = 0;
  WriteVariableLengthValue(delta);
  mStream << kMetaEvent << static_cast<std::uint8_t>(type);
  WriteVariableLengthValue(static_cast<unsigned long>(length));
  mStream.WriteData(bytes, static_cast<std::size_t>(length));
}

void CSMFWriter::OutputSysx(unsigned long delta, const unsigned char* message, long length) {
  // Without at least its status byte there is no event to write.
  if (message == nullptr || length < 1) return;
  ReopenTrack();
  WriteVariableLengthValue(delta);
  mStream << static_cast<std::uint8_t>(message[0]);
  WriteVariableLengthValue(static_cast<unsigned long>(length - 1));
  mStream.WriteData(message + 1, static_cast<std::size_t>(length - 1));
}

void CSMFWriter::OutputSysxWithStuffSysx(unsigned long delta, const unsigned char* text,
                                         long length) {
  if (text == nullptr) return;
  std::array<unsigned char, 128> message{};
  const long pairs = text[0] / 2;
  for (long i = 0; i < pairs; ++i) {
    const char high = static_cast<char>(text[1 + 2 * i]);
    const char low = static_cast<char>(text[2 + 2 * i]);
    message[static_cast<std::size_t>(i)] = static_cast<unsigned char>(
        (UStringUtils::HexCharToNum(high) << 4) | UStringUtils::HexCharToNum(low));
  }
  // Never write more than the digits gave, whatever length the caller asks for.
  OutputSysx(delta, message.data(), std::min(length, pairs));
}

long CSMFWriter::MakeVariableLengthValue(unsigned long value, unsigned char* out) {
  // Four groups of seven bits at most: larger values lose their top bits.
  long count = 1;
  while (count < 4 && (value >> (7 * count)) != 0) ++count;
  out[0] = static_cast<unsigned char>(count);
  for (long i = 0; i < count; ++i) {
    const unsigned shift = static_cast<unsigned>(7 * (count - 1 - i));
    const unsigned char continuation = i + 1 < count ? 0x80 : 0x00;
    out[1 + i] = static_cast<unsigned char>(((value >> shift) & 0x7F) | continuation);
  }
  return count;
}

void CSMFWriter::WriteVariableLengthValue(unsigned long value) {
  VariableLengthBuffer encoded;
  const long count = MakeVariableLengthValue(value, encoded.data());
  mStream.WriteData(encoded.data() + 1, static_cast<std::size_t>(count));
}

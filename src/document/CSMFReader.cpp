#include "document/CSMFReader.h"

#include "framework/core/LFile.h"
#include "framework/core/MidiBytes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <exception>

namespace {

constexpr std::size_t kHeaderChunkSize = 14;
constexpr std::size_t kChunkPreambleSize = 8;  // type and length
constexpr std::uint32_t kHeaderLength = 6;
constexpr std::uint16_t kHighestFormat = 1;

constexpr std::uint32_t kMaxSysExDataKept = 255;  // after the status byte
constexpr std::uint32_t kMaxMetaDataKept = 256;
constexpr int kMaxVariableLengthBytes = 4;

// Data bytes that follow a status byte, by its high nibble. Zero marks the bytes that are no
// channel status: data bytes, which continue the running status, and system bytes.
constexpr std::array<std::uint8_t, 16> kChannelDataLength = {
    0, 0, 0, 0, 0, 0, 0, 0,  // data bytes
    2,                       // 8x note off
    2,                       // 9x note on
    2,                       // Ax polyphonic pressure
    2,                       // Bx control change
    1,                       // Cx program change
    1,                       // Dx channel pressure
    2,                       // Ex pitch bend
    0,                       // Fx system (F0, F7 and FF are handled before)
};

std::uint16_t readBigEndian16(std::span<const std::uint8_t, 2> bytes) {
  return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

std::uint32_t readBigEndian32(std::span<const std::uint8_t, 4> bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

bool hasChunkType(std::span<const std::uint8_t, 4> bytes, const char (&type)[5]) {
  return std::memcmp(bytes.data(), type, 4) == 0;
}

// Orders the merge heap so that its front is the earliest track, the first in the file on
// equal times.
template <typename Pending>
bool comesLater(const Pending& a, const Pending& b) {
  return a.time != b.time ? a.time > b.time : a.index > b.index;
}

}  // namespace

// SSMFEvent ------------------------------------------------------------------------------------

void SSMFEvent::GetString(StringPtr out, long capacity) const {
  if (out == nullptr || capacity < 1) return;
  const long count = std::clamp<long>(length, 0, std::min<long>(capacity - 1, 255));
  out[0] = static_cast<unsigned char>(count);
  std::memcpy(out + 1, data, static_cast<std::size_t>(count));
}

// CSMFReader::CTrack ---------------------------------------------------------------------------

CSMFReader::CTrack::CTrack(std::span<const std::uint8_t> chunk) : mBytes(chunk) {
  if (ReadDeltaTime() != kNoErr) mDamaged = true;
}

bool CSMFReader::CTrack::ValidNextEvent() const {
  // A damaged track still has an event to hand out: the error that ends it.
  return mDamaged || mPosition < mBytes.size();
}

std::uint8_t CSMFReader::CTrack::GetNextEventStatus(std::uint8_t* metaType) const {
  if (mDamaged || Remaining() < 2) return 0;
  const std::uint8_t status = mBytes[mPosition];
  if (status == kMetaEvent && metaType != nullptr) *metaType = mBytes[mPosition + 1];
  return status;
}

short CSMFReader::CTrack::ReadEvent(SSMFEvent& event) {
  event.status = 0;
  event.metaType = 0;
  event.length = 0;
  short result = mDamaged ? kErrRead : ReadByte(event.status);
  if (result == kNoErr) {
    switch (event.status) {
      case kSysexStart:
      case kSysexEnd:
        result = ReadSysxEvent(event);
        break;
      case kMetaEvent:
        result = ReadMetaEvent(event);
        break;
      default:
        result = ReadMidiEvent(event);
        break;
    }
  }
  if (result != kNoErr) {
    // Nothing behind a damaged spot can be trusted: the track ends here.
    mDamaged = false;
    mPosition = static_cast<std::uint32_t>(mBytes.size());
    mNextEventTime = 0;
    return result;
  }
  // The event itself is whole; a broken delta time behind it fails the next read instead.
  if (ReadDeltaTime() != kNoErr) mDamaged = true;
  return kNoErr;
}

short CSMFReader::CTrack::ReadByte(std::uint8_t& value) {
  if (Remaining() < 1) return kErrRead;
  value = mBytes[mPosition++];
  return kNoErr;
}

short CSMFReader::CTrack::ReadBlock(void* out, std::uint32_t count, bool advance) {
  if (count > Remaining()) return kErrRead;
  if (count != 0) std::memcpy(out, mBytes.data() + mPosition, count);
  if (advance) mPosition += count;
  return kNoErr;
}

short CSMFReader::CTrack::SkipBytes(std::uint32_t count) {
  // An event whose announced length runs past the track is cut off, not merely long.
  if (count > Remaining()) return kErrRead;
  mPosition += count;
  return kNoErr;
}

short CSMFReader::CTrack::ReadVariableLengthValue(std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < kMaxVariableLengthBytes; ++i) {
    std::uint8_t byte = 0;
    if (ReadByte(byte) != kNoErr) return kErrRead;
    value = (value << 7) | (byte & 0x7Fu);
    if ((byte & 0x80u) == 0) return kNoErr;
  }
  return kErrRead;  // longer than four bytes
}

short CSMFReader::CTrack::ReadDeltaTime() {
  if (Remaining() == 0) {
    mNextEventTime = 0;
    return kNoErr;
  }
  std::uint32_t delta = 0;
  if (ReadVariableLengthValue(delta) != kNoErr) return kErrRead;
  // A delta time with nothing behind it ends the track, as the end of its bytes does: the
  // other tracks are read on.
  mNextEventTime = Remaining() == 0 ? 0 : mNextEventTime + delta;
  return kNoErr;
}

short CSMFReader::CTrack::ReadSysxEvent(SSMFEvent& event) {
  std::uint32_t length = 0;
  if (ReadVariableLengthValue(length) != kNoErr) return kErrRead;
  const std::uint32_t kept = std::min(length, kMaxSysExDataKept);
  event.data[0] = event.status;
  if (ReadBlock(event.data + 1, kept) != kNoErr) return kErrRead;
  event.length = static_cast<std::int32_t>(kept + 1);
  return SkipBytes(length - kept);
}

short CSMFReader::CTrack::ReadMetaEvent(SSMFEvent& event) {
  std::uint32_t length = 0;
  if (ReadByte(event.metaType) != kNoErr || ReadVariableLengthValue(length) != kNoErr) {
    return kErrRead;
  }
  const std::uint32_t kept = std::min(length, kMaxMetaDataKept);
  if (ReadBlock(event.data, kept) != kNoErr) return kErrRead;
  event.length = static_cast<std::int32_t>(kept);
  return SkipBytes(length - kept);
}

short CSMFReader::CTrack::ReadMidiEvent(SSMFEvent& event) {
  const std::uint8_t first = event.status;
  const std::uint8_t dataLength = kChannelDataLength[first >> 4];
  if (dataLength != 0) {
    mRunningStatus = first;
    event.data[0] = first;
    if (ReadBlock(event.data + 1, dataLength) != kNoErr) return kErrRead;
    event.length = 1 + dataLength;
    return kNoErr;
  }
  // A data byte (or a stray system byte) is the first data byte under the running status.
  if (mRunningStatus == 0) return kErrRead;
  const std::uint8_t runningLength = kChannelDataLength[mRunningStatus >> 4];
  event.data[0] = mRunningStatus;
  event.data[1] = first;
  if (ReadBlock(event.data + 2, runningLength - 1u) != kNoErr) return kErrRead;
  event.length = 1 + runningLength;
  return kNoErr;
}

// CSMFReader -----------------------------------------------------------------------------------

CSMFReader::~CSMFReader() { Initialize(); }

void CSMFReader::Initialize() {
  mCurrentTrack = nullptr;
  mCurrentIndex = 0;
  mPending.clear();
  mTracks.clear();
  mData = {};
  mReadError = kNoErr;
}

short CSMFReader::OpenFile(const FSSpec& file) {
  Initialize();
  try {
    mData = LFile(file).ReadDataFork();
  } catch (const std::exception&) {
    return kErrRead;
  }
  return ParseChunks();
}

short CSMFReader::OpenData(std::span<const std::uint8_t> bytes) {
  Initialize();
  mData.assign(bytes.begin(), bytes.end());
  return ParseChunks();
}

short CSMFReader::ParseChunks() {
  const std::span<const std::uint8_t> file(mData);
  auto fail = [this](short code) {
    Initialize();
    return code;
  };
  if (file.size() < kHeaderChunkSize) return fail(kErrNotSMF);
  if (!hasChunkType(file.subspan<0, 4>(), "MThd") ||
      readBigEndian32(file.subspan<4, 4>()) != kHeaderLength) {
    return fail(kErrNotSMF);
  }
  if (readBigEndian16(file.subspan<8, 2>()) > kHighestFormat) return fail(kErrFormat);
  const std::uint16_t trackCount = readBigEndian16(file.subspan<10, 2>());

  // A file cannot hold more track chunks than preambles fit into it.
  const std::size_t possibleTracks = (file.size() - kHeaderChunkSize) / kChunkPreambleSize;
  mTracks.reserve(std::min<std::size_t>(trackCount, possibleTracks));
  mPending.reserve(mTracks.capacity());

  std::size_t position = kHeaderChunkSize;
  for (std::uint32_t index = 0; index < trackCount; ++index) {
    if (file.size() - position < kChunkPreambleSize) return fail(kErrRead);
    const auto preamble = file.subspan(position, kChunkPreambleSize);
    if (!hasChunkType(preamble.first<4>(), "MTrk")) return fail(kErrRead);
    const std::uint32_t length = readBigEndian32(preamble.subspan<4, 4>());
    position += kChunkPreambleSize;
    // A chunk claiming more bytes than the file holds means the file is damaged or cut
    // short; it is refused as a whole rather than read in part.
    if (length > file.size() - position) return fail(kErrRead);
    mTracks.push_back(std::make_unique<CTrack>(file.subspan(position, length)));
    QueueTrack(index);
    position += length;
  }
  return kNoErr;
}

void CSMFReader::QueueTrack(std::uint32_t index) {
  const CTrack& track = *mTracks[index];
  if (!track.ValidNextEvent()) return;
  mPending.push_back({track.GetNextEventTime(), index});
  std::push_heap(mPending.begin(), mPending.end(), comesLater<SPendingTrack>);
}

void CSMFReader::RequeueCurrentTrack() {
  // The current track was taken out of the merge when its event was handed out; the caller
  // may have read on in it since, so it goes back in with the time it has now.
  if (mCurrentTrack == nullptr) return;
  mCurrentTrack = nullptr;
  QueueTrack(mCurrentIndex);
}

bool CSMFReader::GetNextEvent(SSMFEvent& event) {
  RequeueCurrentTrack();
  if (mReadError != kNoErr || mPending.empty()) return false;
  std::pop_heap(mPending.begin(), mPending.end(), comesLater<SPendingTrack>);
  const std::uint32_t index = mPending.back().index;
  mPending.pop_back();
  if (mTracks[index]->ReadEvent(event) != kNoErr) {
    mReadError = kErrRead;
    return false;
  }
  mCurrentTrack = mTracks[index].get();
  mCurrentIndex = index;
  return true;
}

std::uint32_t CSMFReader::GetLEndianUInt32(std::uint32_t value) {
  if constexpr (std::endian::native == std::endian::big) return value;
  return ((value & 0x000000FFu) << 24) | ((value & 0x0000FF00u) << 8) |
         ((value & 0x00FF0000u) >> 8) | ((value & 0xFF000000u) >> 24);
}

std::uint16_t CSMFReader::GetLEndianUInt16(std::uint16_t value) {
  if constexpr (std::endian::native == std::endian::big) return value;
  return static_cast<std::uint16_t>((value << 8) | (value >> 8));
}

// Helpers for tests of the patch and its file: records, bulk dumps of both device formats,
// hand-built MIDI files (any format, any number of tracks, damaged ones included), random
// patches, whole files read and written, and (from StTempFolder.h) a temporary folder.
#pragma once

#include "document/CPatch.h"
#include "document/SPatchParam.h"
#include "framework/core/LString.h"
#include "support/StTempFolder.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kvxtest {

using Bytes = std::vector<std::uint8_t>;

// --- records

inline SPatchParam MakeRecord(std::uint8_t msgType, std::uint8_t channel = 0,
                              std::initializer_list<std::uint8_t> data = {}) {
  SPatchParam record{};
  record.msgType = msgType;
  record.channel = channel;
  std::size_t k = 0;
  for (std::uint8_t byte : data) record.data[k++] = byte;
  return record;
}

inline void SetName(SPatchParam& record, std::string_view name) {
  LString::FromStd(name, record.name, sizeof record.name);
}

inline bool SameRecord(const SPatchParam& a, const SPatchParam& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

inline bool SameDeviceImage(const SPatchParam& a, const SPatchParam& b) {
  return std::memcmp(a.DeviceImage(), b.DeviceImage(), kDeviceImageSize) == 0;
}

inline std::string Text(ConstStr255Param text) { return LString::ToStd(text); }

// --- bulk dumps

// The checksum that makes the bytes plus the checksum a multiple of 128.
inline std::uint8_t Checksum7(const std::uint8_t* first, const std::uint8_t* last) {
  unsigned sum = 0;
  for (; first != last; ++first) sum += *first;
  return static_cast<std::uint8_t>((128 - sum % 128) % 128);
}

// A dump of the older 27-controller device: 6-byte header, address at 6, nibbles at 10,
// 140 bytes in all (the older device's messages as the reader requires them).
inline Bytes MakeOldDump(long oldIndex, const SPatchParam& record) {
  Bytes dump(140, 0);
  const std::uint8_t header[6] = {0xF0, 0x7D, 0x10, 0x00, 0x4E, 0x12};
  std::memcpy(dump.data(), header, sizeof header);
  dump[8] = static_cast<std::uint8_t>(oldIndex);  // address 00 00 i 00
  const std::uint8_t* image = record.DeviceImage();
  for (std::size_t k = 0; k < kDeviceImageSize; ++k) {
    dump[10 + 2 * k] = image[k] >> 4;
    dump[11 + 2 * k] = image[k] & 0x0F;
  }
  dump[138] = Checksum7(dump.data() + 6, dump.data() + 138);
  dump[139] = 0xF7;
  return dump;
}

// The current-format dump of `record` for controller `index`, as the patch builds it.
inline Bytes MakeDump(long index, const SPatchParam& record) {
  CPatch patch;
  *patch.GetParam(index) = record;  // as it stands, without the normalisation of SetParam
  Bytes dump(kBulkDumpSize);
  patch.MakeBulkSysx(index, dump.data());
  return dump;
}

// --- hand-built MIDI files

inline void AppendVariableLength(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0 && count < 5);
  while (count > 0) {
    --count;
    out.push_back(static_cast<std::uint8_t>(groups[count] | (count > 0 ? 0x80 : 0x00)));
  }
}

inline void AppendBigEndian(Bytes& out, std::uint32_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The events of one track chunk, appended in file order with their delta times.
class CTrackBuilder {
 public:
  CTrackBuilder& Meta(std::uint32_t delta, std::uint8_t type, const Bytes& data) {
    AppendVariableLength(mEvents, delta);
    mEvents.push_back(0xFF);
    mEvents.push_back(type);
    AppendVariableLength(mEvents, static_cast<std::uint32_t>(data.size()));
    mEvents.insert(mEvents.end(), data.begin(), data.end());
    return *this;
  }
  CTrackBuilder& Meta(std::uint32_t delta, std::uint8_t type, std::string_view text) {
    return Meta(delta, type, Bytes(text.begin(), text.end()));
  }
  CTrackBuilder& Text(std::uint32_t delta, std::string_view text) { return Meta(delta, 0x01, text); }
  CTrackBuilder& Copyright(std::uint32_t delta, const Bytes& notice) { return Meta(delta, 0x02, notice); }
  CTrackBuilder& Name(std::uint32_t delta, std::string_view text) { return Meta(delta, 0x03, text); }
  CTrackBuilder& Tempo(std::uint32_t delta) { return Meta(delta, 0x51, Bytes{0x07, 0xA1, 0x20}); }
  // A SysEx message from F0 through F7.
  CTrackBuilder& Sysex(std::uint32_t delta, const Bytes& message) {
    AppendVariableLength(mEvents, delta);
    mEvents.push_back(message.at(0));
    AppendVariableLength(mEvents, static_cast<std::uint32_t>(message.size() - 1));
    mEvents.insert(mEvents.end(), message.begin() + 1, message.end());
    return *this;
  }
  CTrackBuilder& Channel(std::uint32_t delta, const Bytes& message) {
    AppendVariableLength(mEvents, delta);
    mEvents.insert(mEvents.end(), message.begin(), message.end());
    return *this;
  }
  CTrackBuilder& EndOfTrack(std::uint32_t delta = 0) { return Meta(delta, 0x2F, Bytes{}); }

  // The whole chunk: "MTrk", length, events.
  Bytes Chunk() const {
    Bytes chunk{'M', 'T', 'r', 'k'};
    AppendBigEndian(chunk, static_cast<std::uint32_t>(mEvents.size()), 4);
    chunk.insert(chunk.end(), mEvents.begin(), mEvents.end());
    return chunk;
  }

 private:
  Bytes mEvents;
};

inline Bytes BuildMidiFile(std::uint16_t format, const std::vector<CTrackBuilder>& tracks,
                           std::uint16_t division = 96) {
  Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6};
  AppendBigEndian(file, format, 2);
  AppendBigEndian(file, static_cast<std::uint32_t>(tracks.size()), 2);
  AppendBigEndian(file, division, 2);
  for (const CTrackBuilder& track : tracks) {
    Bytes chunk = track.Chunk();
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

// --- random patches

// A record of any message type with random bytes everywhere (junk in unused payload bytes,
// options and ports included); the alternate codes are left out because loading turns them
// into their partners.
inline SPatchParam RandomRecord(std::mt19937& random) {
  static constexpr std::uint8_t kCodes[] = {0,  1,  3,  5,  7,  9,  10, 11, 12, 13,
                                            14, 15, 17, 19, 20, 22, 24, 25, 99, 255};
  std::uniform_int_distribution<int> byte(0, 255);
  SPatchParam record{};
  auto* raw = reinterpret_cast<std::uint8_t*>(&record);
  for (std::size_t k = 0; k < sizeof record; ++k) raw[k] = static_cast<std::uint8_t>(byte(random));
  // A name of up to 128 characters; the bytes behind it stay zero, as in a loaded record.
  record.name[0] = static_cast<std::uint8_t>(byte(random) % 129);
  std::memset(record.name + 1 + record.name[0], 0, kPatchNameSize - 1 - record.name[0]);
  record.msgType = kCodes[static_cast<std::size_t>(byte(random)) % std::size(kCodes)];
  return record;
}

inline std::string RandomText(std::mt19937& random, std::size_t maxLength) {
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  std::uniform_int_distribution<int> byte(1, 255);
  std::string text(length(random), ' ');
  for (char& c : text) c = static_cast<char>(byte(random));
  return text;
}

// --- files

inline Bytes ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kvxtest

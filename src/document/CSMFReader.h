// Reads a Standard MIDI File of format 0 or 1 into memory and hands out its events in time
// order, merging the tracks (on equal times the earlier track first). Every read is checked
// against the track's bounds and the file's end, whatever the chunk lengths claim.
#pragma once

#include "framework/core/FSSpec.h"
#include "framework/core/MacTypes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct SSMFEvent {
  std::uint8_t status;     // F0/F7 SysEx, FF meta, or the channel status (or first data byte)
  std::uint8_t metaType;   // meta events only
  std::uint8_t data[256];  // SysEx: F0 and the bytes after it; meta: its data; channel: message
  std::int32_t length;     // valid bytes in data

  // The first min(length, capacity - 1) bytes as a length-prefixed string.
  void GetString(StringPtr out, long capacity) const;
};

class CSMFReader {
 public:
  enum : short { kNoErr = 0, kErrNotSMF = 1, kErrFormat = 2, kErrRead = 3 };

  class CTrack {
   public:
    CTrack(const std::uint8_t* start, std::uint32_t length);

    bool ValidNextEvent() const;
    std::uint32_t GetNextEventTime() const { return mNextEventTime; }
    // The next event's first byte without moving (and its meta type when 0xFF); 0 when fewer
    // than two bytes remain.
    std::uint8_t GetNextEventStatus(std::uint8_t* metaType) const;
    // 0, or 3 when the track ends inside the event or a data byte has no running status.
    short ReadEvent(SSMFEvent& event);

   private:
    short ReadByte(std::uint8_t& value);
    short ReadBlock(void* out, std::uint32_t count, bool advance = true);
    short SkipBytes(std::uint32_t count);
    short ReadVariableLengthValue(std::uint32_t& value);
    short ReadDeltaTime();
    short ReadSysxEvent(SSMFEvent& event);
    short ReadMetaEvent(SSMFEvent& event);
    short ReadMidiEvent(SSMFEvent& event);

    const std::uint8_t* mStart;
    std::uint32_t mLength;
    std::uint32_t mNextEventTime = 0;
    std::uint32_t mPosition = 0;
    std::uint8_t mRunningStatus = 0;
  };

  CSMFReader() = default;
  virtual ~CSMFReader();
  virtual void Initialize();

  // 0; 1 not a Standard MIDI File header; 2 format 2 or above; 3 unreadable or a track
  // chunk missing, of another type or running past the end of the file.
  short OpenFile(const FSSpec& file);
  // The same over bytes already in memory (copied).
  short OpenData(std::span<const std::uint8_t> bytes);

  bool GetNextEvent(SSMFEvent& event);
  CTrack* GetCurTrack() const { return mCurrentTrack; }

  static std::uint32_t GetLEndianUInt32(std::uint32_t value);
  static std::uint16_t GetLEndianUInt16(std::uint16_t value);

 private:
  short ParseChunks();

  std::vector<std::uint8_t> mData;
  std::vector<std::unique_ptr<CTrack>> mTracks;
  CTrack* mCurrentTrack = nullptr;
};

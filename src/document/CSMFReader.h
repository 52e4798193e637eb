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
  static constexpr short kNoErr = 0;
  static constexpr short kErrNotSMF = 1;  // no "MThd" header chunk of length 6
  static constexpr short kErrFormat = 2;  // format 2 or above
  static constexpr short kErrRead = 3;    // unreadable, or a track chunk missing or damaged

  // One track chunk, read in place from the reader's memory block.
  class CTrack {
   public:
    // Reads the first delta time. `chunk` is the chunk's data after its length field.
    explicit CTrack(std::span<const std::uint8_t> chunk);

    bool ValidNextEvent() const;
    std::uint32_t GetNextEventTime() const { return mNextEventTime; }
    // The next event's first byte without moving (and its meta type when 0xFF); 0 when fewer
    // than two bytes remain or the track is damaged.
    std::uint8_t GetNextEventStatus(std::uint8_t* metaType) const;
    // 0, or 3 when the track ends inside the event, a data byte has no running status, or the
    // event's delta time is damaged (a delta time with nothing behind it ends the track). A damaged delta time is
    // reported by the read of the event it belongs to, so the event before it is still handed
    // out. After an error the track is over.
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
    std::uint32_t Remaining() const {
      return static_cast<std::uint32_t>(mBytes.size()) - mPosition;
    }

    std::span<const std::uint8_t> mBytes;  // the chunk's data; the track ends with it
    std::uint32_t mNextEventTime = 0;      // sum of the delta times read so far (wraps)
    std::uint32_t mPosition = 0;
    std::uint8_t mRunningStatus = 0;
    bool mDamaged = false;  // the next event's delta time is damaged
  };

  CSMFReader() = default;
  CSMFReader(const CSMFReader&) = delete;
  CSMFReader& operator=(const CSMFReader&) = delete;
  virtual ~CSMFReader();
  virtual void Initialize();

  // 0; 1 not a Standard MIDI File header; 2 format 2 or above; 3 unreadable or a track
  // chunk missing, of another type or running past the end of the file.
  short OpenFile(const FSSpec& file);
  // The same over bytes already in memory (copied).
  short OpenData(std::span<const std::uint8_t> bytes);

  // The next event in time order; false at the end of all tracks or after a read error.
  // The track of the returned event may be read on directly through GetCurTrack() before
  // the next call; the merge then continues from where that track stands.
  bool GetNextEvent(SSMFEvent& event);
  CTrack* GetCurTrack() const { return mCurrentTrack; }
  // 0, or 3 once GetNextEvent has stopped on a damaged track (it then keeps returning false).
  short GetReadError() const { return mReadError; }

  static std::uint32_t GetLEndianUInt32(std::uint32_t value);
  static std::uint16_t GetLEndianUInt16(std::uint16_t value);

 private:
  // A track waiting in the merge, ordered by time and then by its place in the file.
  struct SPendingTrack {
    std::uint32_t time;
    std::uint32_t index;
  };

  short ParseChunks();
  void QueueTrack(std::uint32_t index);
  void RequeueCurrentTrack();

  std::vector<std::uint8_t> mData;
  std::vector<std::unique_ptr<CTrack>> mTracks;
  CTrack* mCurrentTrack = nullptr;
  std::uint32_t mCurrentIndex = 0;
  std::vector<SPendingTrack> mPending;  // a min-heap, reserved when the file is opened
  short mReadError = kNoErr;
};

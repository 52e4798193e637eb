// Carries incoming MIDI from the MIDI read thread to the main thread. The read side cuts each
// insertion into 4-byte entries of a fixed ring; the main side, in its periodical turns, joins
// the entries of one message again and hands the whole message to a CMidiInHandler.
//
// Threads: InsertQueue and InsertPacket run on the MIDI read thread, one producer at a time
// (so a queue is bound to one in-port only); all other operations run on the main thread. No
// locks: the writer publishes its index only when a message is complete, so the reader never
// sees part of a message. When an insertion does not fit, the whole message it belongs to is
// dropped and counted; the end of a message whose beginning is not in the ring (it came before
// the queue was cleared) is skipped. Operations that reset or release the ring first shut
// insertions out and wait for a running insertion to end.
#pragma once

#include "framework/core/LPeriodical.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CMidiInHandler;

// One ring entry: up to 4 data bytes, how many are used, and the entry's place in its message.
struct SMidiQueueEntry {
  unsigned char data[4];
  std::uint8_t length;
  std::uint8_t kind;
};
static_assert(sizeof(SMidiQueueEntry) == 6);

// Entry kinds (low two bits).
constexpr std::uint8_t kEntryWhole = 0;
constexpr std::uint8_t kEntryFirst = 1;
constexpr std::uint8_t kEntryLast = 2;
constexpr std::uint8_t kEntryMiddle = 3;

// Position flags of an insertion: more bytes of this message follow in a later insertion /
// this insertion continues a message begun earlier. 0 = complete, 1 = start, 3 = middle,
// 2 = end.
constexpr unsigned char kMoreFollows = 1;
constexpr unsigned char kContinues = 2;

class CMidiInQueue : public LPeriodical {
 public:
  static constexpr long kDefaultMessagesPerTurn = 4;
  static constexpr long kMaxRingEntries = 65535;
  // Longest insertion InsertPacket makes; a multiple of the 4 bytes an entry holds, so that
  // only the last entry of a packet is partly used.
  static constexpr std::size_t kPacketChunk = 252;

  CMidiInQueue() = default;
  // Stops watching, unbinds the queue from every in-port (waiting for a running delivery pass
  // to end), then releases the ring.
  ~CMidiInQueue() override;

  void SpendTime(const EventRecord& event) override;

  virtual void SetMidiInHandler(CMidiInHandler* handler);
  // A ring of `entries` entries (2 .. 65535), holding up to entries - 1 at once. True when a
  // ring exists afterwards.
  virtual bool AllocateQueue(long entries);
  virtual void ReleaseQueue();
  // Makes the message buffer hold at least `bytes`, keeping its contents.
  virtual void AllocateMsgBuffer(long bytes);
  virtual void StartQueueWatching();
  virtual void StopQueueWatching();
  virtual void ClearQueue();
  // Pause and resume delivery; insertions go on.
  virtual void Suspend();
  virtual void Resume();
  // runs on the MIDI thread. Stores `length` bytes with the position flags `flags`.
  virtual void InsertQueue(const unsigned char* data, unsigned char length,
                           unsigned char flags) noexcept;
  // Delivers up to `count` messages (0: messages per turn).
  virtual void CheckQueueMessage(unsigned short count);
  // Assembles the next complete message in the message buffer and returns its length, or 0.
  virtual long GetQueueMessage();
  virtual void ProcessMessage(const unsigned char* data, long length);

  bool IsSuspended() const { return mSuspended; }

  // runs on the MIDI thread. Stores a packet of any length as insertions of at most
  // kPacketChunk bytes, their position flags derived from the packet's `flags`.
  void InsertPacket(const unsigned char* data, std::size_t length, unsigned char flags) noexcept;

  bool IsWatching() const { return mWatching.load(std::memory_order_relaxed); }
  CMidiInHandler* GetMidiInHandler() const { return mHandler; }
  long GetRingSize() const { return mRingSize; }
  // Complete messages stored and not yet taken.
  unsigned short GetPendingCount() const {
    return static_cast<std::uint16_t>(mCompleteCount.load(std::memory_order_acquire) - mTakenCount);
  }
  // Messages dropped because they did not fit into the ring.
  unsigned long GetDroppedCount() const { return mDroppedCount.load(std::memory_order_relaxed); }
  std::uint16_t GetWriteIndex() const { return mWriteIndex.load(std::memory_order_acquire); }
  std::uint16_t GetReadIndex() const { return mReadIndex.load(std::memory_order_relaxed); }
  // A copy of ring entry `index` (main thread, for inspection).
  SMidiQueueEntry GetEntry(long index) const;
  const unsigned char* GetMsgBuffer() const { return mMsgBuffer.data(); }
  long GetMsgBufferSize() const { return static_cast<long>(mMsgBuffer.size()); }
  unsigned short GetMessagesPerTurn() const { return mMessagesPerTurn; }
  void SetMessagesPerTurn(unsigned short count) { mMessagesPerTurn = count; }

 private:
  long FreeEntries(long needed) noexcept;
  void StoreEntries(SMidiQueueEntry* ring, const unsigned char* data, unsigned char length,
                    unsigned char position) noexcept;
  void DropMessage() noexcept;
  void WaitForInsertion() const;
  void ResetIndices();

  CMidiInHandler* mHandler = nullptr;  // not owned
  std::unique_ptr<SMidiQueueEntry[]> mRingStorage;
  long mRingSize = 0;
  bool mRingHeld = false;  // locked in physical memory
  bool mSuspended = false;
  unsigned short mMessagesPerTurn = kDefaultMessagesPerTurn;
  std::vector<unsigned char> mMsgBuffer;

  // Shared with the MIDI thread, each side's hot fields on a cache line of its own so that the
  // two threads do not take lines from each other needlessly.
  static constexpr std::size_t kCacheLine = 64;
  alignas(kCacheLine) std::atomic<SMidiQueueEntry*> mRing{nullptr};  // null: insertions drop
  std::atomic<bool> mWatching{false};

  // The main thread's side. The pending count is the writer's count of complete messages less
  // the reader's count of messages taken (both wrap at 65536, above any ring's capacity): each
  // thread writes only its own count.
  alignas(kCacheLine) std::atomic<std::uint16_t> mReadIndex{0};
  std::uint16_t mTakenCount = 0;
  // What the writer had published when last looked at; looked at again only when all of it
  // is taken, so that the reader does not take the writer's line at every message.
  std::uint16_t mKnownCompleteCount = 0;
  std::uint16_t mKnownWriteIndex = 0;

  // What the MIDI thread publishes: changes once per complete message.
  alignas(kCacheLine) std::atomic<std::uint16_t> mWriteIndex{0};  // end of the complete messages
  std::atomic<std::uint16_t> mCompleteCount{0};

  // The MIDI thread's working state (its plain fields are reset by the main thread only while
  // insertions are shut out).
  alignas(kCacheLine) std::atomic<std::uint32_t> mInsertPass{0};  // odd while an insertion runs
  std::atomic<unsigned long> mDroppedCount{0};
  std::uint16_t mInsertIndex = 0;      // next entry to write, past an unfinished message
  std::uint16_t mKnownReadIndex = 0;   // the read index when last looked at
  // The ring holds the beginning of an unfinished message; while it does not, the rest of a
  // message (a continuing insertion) has nowhere to go and is skipped.
  bool mMessageOpen = false;
};

#include "midi/CMidiInQueue.h"

#include "midi/CMidiInHandler.h"
#include "midi/CMidiOperation.h"

#include "framework/core/LException.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <thread>

namespace {

constexpr OSErr memFullErr = -108;  // the toolbox's out-of-memory status

// Rings of this size or more stay in physical memory, so the read thread never waits for
// paging.
constexpr std::size_t kHoldRingBytes = 4096;

// Marks an insertion as running (the pass count is odd meanwhile). The mark comes before the
// insertion reads the watching flag and the ring, and the main thread clears those before it
// looks at the mark, both in the sequentially consistent order: so either the insertion sees
// it is shut out, or the main thread sees it running and waits. Only the one producer writes
// the count, so plain stores do; only the first needs the full fence.
class StInsertionPass {
 public:
  explicit StInsertionPass(std::atomic<std::uint32_t>& pass) noexcept
      : mPass(pass), mStart(pass.load(std::memory_order_relaxed)) {
    mPass.store(mStart + 1, std::memory_order_seq_cst);
  }
  ~StInsertionPass() { mPass.store(mStart + 2, std::memory_order_release); }
  StInsertionPass(const StInsertionPass&) = delete;
  StInsertionPass& operator=(const StInsertionPass&) = delete;

 private:
  std::atomic<std::uint32_t>& mPass;
  std::uint32_t mStart;
};

bool completesMessage(std::uint8_t kind) { return kind == kEntryWhole || kind == kEntryLast; }

}  // namespace

CMidiInQueue::~CMidiInQueue() {
  mWatching.store(false, std::memory_order_seq_cst);
  mSuspended = true;
  mHandler = nullptr;
  CMidiOperation::MidiInQueueDied(this);
  CMidiInQueue::ReleaseQueue();
  mMsgBuffer.clear();
  mMsgBuffer.shrink_to_fit();
}

void CMidiInQueue::SpendTime(const EventRecord&) {
  if (!mSuspended) CheckQueueMessage(mMessagesPerTurn);
}

void CMidiInQueue::SetMidiInHandler(CMidiInHandler* handler) { mHandler = handler; }

bool CMidiInQueue::AllocateQueue(long entries) {
  if (mRingStorage != nullptr && mRingSize == entries) return true;
  if (mRingStorage != nullptr) ReleaseQueue();
  if (entries < 2 || entries > kMaxRingEntries) return false;
  try {
    mRingStorage.reset(new SMidiQueueEntry[static_cast<std::size_t>(entries)]());
  } catch (const std::bad_alloc&) {
    mRingSize = 0;
    return false;
  }
  mRingSize = entries;
  const std::size_t bytes = static_cast<std::size_t>(entries) * sizeof(SMidiQueueEntry);
  if (bytes >= kHoldRingBytes) mRingHeld = mlock(mRingStorage.get(), bytes) == 0;
  // Insertions leave the indices alone while there is no ring.
  ResetIndices();
  mRing.store(mRingStorage.get(), std::memory_order_seq_cst);
  return true;
}

void CMidiInQueue::ReleaseQueue() {
  mRing.store(nullptr, std::memory_order_seq_cst);
  WaitForInsertion();
  if (mRingStorage == nullptr) return;
  if (mRingHeld) {
    munlock(mRingStorage.get(), static_cast<std::size_t>(mRingSize) * sizeof(SMidiQueueEntry));
    mRingHeld = false;
  }
  mRingStorage.reset();
  mRingSize = 0;
  ResetIndices();
}

void CMidiInQueue::AllocateMsgBuffer(long bytes) {
  if (bytes <= GetMsgBufferSize()) return;
  try {
    mMsgBuffer.resize(static_cast<std::size_t>(bytes));
  } catch (const std::bad_alloc&) {
    LException::ThrowException(memFullErr, "no memory for a MIDI message");
  } catch (const std::length_error&) {
    LException::ThrowException(memFullErr, "no memory for a MIDI message");
  }
}

void CMidiInQueue::StartQueueWatching() {
  if (IsWatching()) return;
  ClearQueue();
  StartRepeating();
  StartIdling();
  mWatching.store(true, std::memory_order_seq_cst);
}

void CMidiInQueue::StopQueueWatching() {
  if (!IsWatching()) return;
  mWatching.store(false, std::memory_order_seq_cst);
  WaitForInsertion();
  StopRepeating();
  StopIdling();
  ClearQueue();
}

void CMidiInQueue::ClearQueue() {
  const bool wasWatching = mWatching.exchange(false, std::memory_order_seq_cst);
  WaitForInsertion();
  ResetIndices();
  if (wasWatching) mWatching.store(true, std::memory_order_seq_cst);
}

void CMidiInQueue::Suspend() { mSuspended = true; }

void CMidiInQueue::Resume() { mSuspended = false; }

// runs on the MIDI thread
void CMidiInQueue::InsertQueue(const unsigned char* data, unsigned char length,
                               unsigned char flags) noexcept {
  StInsertionPass pass(mInsertPass);
  if (!mWatching.load(std::memory_order_seq_cst) || length == 0 || data == nullptr) return;
  const unsigned char position = flags & (kMoreFollows | kContinues);
  SMidiQueueEntry* ring = mRing.load(std::memory_order_seq_cst);
  if (ring == nullptr) {
    if ((position & kContinues) == 0) mDroppedCount.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  if ((position & kContinues) == 0) {
    // A new message begins; the one before it, never ended, would run into it: drop that one.
    if (mMessageOpen) DropMessage();
  } else if (!mMessageOpen) {
    // The rest of a dropped message, or of one whose beginning is not in the ring (it came
    // before the queue was cleared): skipped.
    return;
  }
  const long needed = (length + 3) / 4;
  if (needed > FreeEntries(needed)) {
    DropMessage();
    return;
  }
  StoreEntries(ring, data, length, position);
}

// runs on the MIDI thread
void CMidiInQueue::InsertPacket(const unsigned char* data, std::size_t length,
                                unsigned char flags) noexcept {
  if (data == nullptr || length == 0) return;
  const unsigned char position = flags & (kMoreFollows | kContinues);
  std::size_t offset = 0;
  while (length - offset > kPacketChunk) {
    const unsigned char begun = offset == 0 ? (position & kContinues) : kContinues;
    InsertQueue(data + offset, kPacketChunk, begun | kMoreFollows);
    offset += kPacketChunk;
  }
  const unsigned char last = offset == 0 ? position : kContinues | (position & kMoreFollows);
  InsertQueue(data + offset, static_cast<unsigned char>(length - offset), last);
}

// runs on the MIDI thread
long CMidiInQueue::FreeEntries(long needed) noexcept {
  // One entry stays empty so that a full ring differs from an empty one.
  auto freeBefore = [this](long read) { return (read - mInsertIndex - 1 + mRingSize) % mRingSize; };
  long free = freeBefore(mKnownReadIndex);
  if (free < needed) {
    // The reader may have moved on since: look again (the only read of its line).
    mKnownReadIndex = mReadIndex.load(std::memory_order_acquire);
    free = freeBefore(mKnownReadIndex);
  }
  return free;
}

// runs on the MIDI thread
void CMidiInQueue::StoreEntries(SMidiQueueEntry* ring, const unsigned char* data,
                                unsigned char length, unsigned char position) noexcept {
  // Locals, since every byte stored through the ring could otherwise alias the members.
  const std::size_t ringSize = static_cast<std::size_t>(mRingSize);
  std::size_t index = mInsertIndex;
  const std::size_t firstIndex = index;

  // Every entry before the last holds 4 bytes and lies inside the message: the middle kind,
  // except for the first entry of a message that begins here.
  const std::size_t fullEntries = (length - 1u) / 4u;
  for (std::size_t left = fullEntries; left > 0;) {
    const std::size_t run = std::min(left, ringSize - index);  // up to the end of the ring
    SMidiQueueEntry* entry = ring + index;
    for (SMidiQueueEntry* const end = entry + run; entry != end; ++entry, data += 4) {
      std::memcpy(entry->data, data, 4);
      entry->length = 4;
      entry->kind = kEntryMiddle;
    }
    left -= run;
    index = index + run == ringSize ? 0 : index + run;
  }
  std::uint8_t lastKind = position;
  if (fullEntries > 0) {
    if ((position & kContinues) == 0) ring[firstIndex].kind = kEntryFirst;
    lastKind = (position & kMoreFollows) != 0 ? kEntryMiddle : kEntryLast;
  }

  SMidiQueueEntry& last = ring[index];
  const std::size_t used = length - 4 * fullEntries;  // 1 to 4
  last.data[0] = data[0];
  last.data[1] = used > 1 ? data[1] : 0;
  last.data[2] = used > 2 ? data[2] : 0;
  last.data[3] = used > 3 ? data[3] : 0;
  last.length = static_cast<std::uint8_t>(used);
  last.kind = lastKind;
  index = index + 1 == ringSize ? 0 : index + 1;

  mInsertIndex = static_cast<std::uint16_t>(index);
  mMessageOpen = !completesMessage(lastKind);
  if (completesMessage(lastKind)) {
    // Publish the whole message at once: the reader never sees an unfinished one.
    mWriteIndex.store(mInsertIndex, std::memory_order_release);
    const auto completed =
        static_cast<std::uint16_t>(mCompleteCount.load(std::memory_order_relaxed) + 1);
    mCompleteCount.store(completed, std::memory_order_release);
  }
}

// runs on the MIDI thread
void CMidiInQueue::DropMessage() noexcept {
  // Forget what is stored of the unfinished message; what is still to come of it finds no
  // open message and is skipped.
  mInsertIndex = mWriteIndex.load(std::memory_order_relaxed);
  mMessageOpen = false;
  mDroppedCount.fetch_add(1, std::memory_order_relaxed);
}

void CMidiInQueue::CheckQueueMessage(unsigned short count) {
  if (count == 0) count = mMessagesPerTurn;
  for (unsigned short delivered = 0; delivered < count; ++delivered) {
    const long length = GetQueueMessage();
    if (length == 0) break;
    ProcessMessage(mMsgBuffer.data(), length);
  }
}

long CMidiInQueue::GetQueueMessage() {
  if (mRingStorage == nullptr) return 0;
  if (mKnownCompleteCount == mTakenCount) {
    // Everything seen so far is taken: look at what the writer has published since. The
    // count first: the write index read after it covers at least the counted messages.
    mKnownCompleteCount = mCompleteCount.load(std::memory_order_acquire);
    mKnownWriteIndex = mWriteIndex.load(std::memory_order_acquire);
    if (mKnownCompleteCount == mTakenCount) return 0;
  }
  const std::uint16_t write = mKnownWriteIndex;
  std::uint16_t read = mReadIndex.load(std::memory_order_relaxed);
  if (read == write) return 0;
  // Locals, since every byte stored into the buffer could otherwise alias the members.
  const SMidiQueueEntry* const ring = mRingStorage.get();
  const std::size_t ringSize = static_cast<std::size_t>(mRingSize);
  unsigned char* buffer = mMsgBuffer.data();
  long capacity = GetMsgBufferSize();
  long total = 0;
  bool moreFollows = true;
  while (moreFollows) {
    // The entries up to the writer or to the end of the ring, whichever comes first.
    const SMidiQueueEntry* entry = ring + read;
    const SMidiQueueEntry* const end = ring + (write > read ? write : ringSize);
    while (entry != end && moreFollows) {
      const long length = std::min<long>(entry->length, 4);
      if (total + 4 <= capacity) {
        std::memcpy(buffer + total, entry->data, 4);  // bytes past the length lie past the message
      } else {
        if (total + length > capacity) {
          AllocateMsgBuffer(total + length);
          buffer = mMsgBuffer.data();
          capacity = GetMsgBufferSize();
        }
        for (long i = 0; i < length; ++i) buffer[total + i] = entry->data[i];
      }
      total += length;
      moreFollows = (entry->kind & kMoreFollows) != 0;
      ++entry;
    }
    const auto next = static_cast<std::size_t>(entry - ring);
    read = static_cast<std::uint16_t>(next == ringSize ? 0 : next);
    if (read == write) break;  // caught up with the writer
  }
  // Hand the entries back to the writer.
  mReadIndex.store(read, std::memory_order_release);
  ++mTakenCount;
  return total;
}

void CMidiInQueue::ProcessMessage(const unsigned char* data, long length) {
  if (mHandler != nullptr) mHandler->ProcessMessage(data, length);
}

SMidiQueueEntry CMidiInQueue::GetEntry(long index) const {
  if (mRingStorage == nullptr || index < 0 || index >= mRingSize) return {};
  return mRingStorage[static_cast<std::size_t>(index)];
}

void CMidiInQueue::WaitForInsertion() const {
  const std::uint32_t pass = mInsertPass.load(std::memory_order_seq_cst);
  if ((pass & 1u) == 0) return;
  while (mInsertPass.load(std::memory_order_acquire) == pass) std::this_thread::yield();
}

// Only while insertions are shut out (not watching, or no ring).
void CMidiInQueue::ResetIndices() {
  mInsertIndex = 0;
  mKnownReadIndex = 0;
  mMessageOpen = false;
  mWriteIndex.store(0, std::memory_order_relaxed);
  mReadIndex.store(0, std::memory_order_relaxed);
  mCompleteCount.store(0, std::memory_order_relaxed);
  mTakenCount = 0;
  mKnownCompleteCount = 0;
  mKnownWriteIndex = 0;
}

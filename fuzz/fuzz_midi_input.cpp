// Incoming MIDI. The first byte chooses what is fed (its value modulo 3):
//   0  the stream parser: a byte choosing the longest SysEx kept, one seeding where the stream
//      is cut, then the stream;
//   1  the input queue: a byte choosing the ring size, then operations (see FeedQueue);
//   2  a bulk dump handed to the patch: a byte of options (bit 0 the older format, bit 1 the
//      right header, bit 2 the right checksum, bit 3 a known address), then the message.
//
// Properties: the parser gives the messages of the MIDI rules (running status, real-time
// bytes inside other messages, SysEx cut short by a status byte or kept up to its limit) and
// the same ones however the bytes are cut; the queue hands out the complete messages put in,
// in order, or a subsequence of them with one drop counted per message lost; a dump the
// patch accepts lands in the record its address names as its nibbles say, and nothing else
// changes.
#include "FuzzSupport.h"

#include "document/CPatch.h"
#include "midi/CMidiInHandler.h"
#include "midi/CMidiInQueue.h"
#include "midi/platform/CMidiStreamParser.h"

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// ------------------------------------------------------------------ stream parser

struct SParsed {
  Bytes bytes;
  bool truncated;
  bool operator==(const SParsed&) const = default;
};

// The MIDI rules, kept as plain as possible: the reference the parser is held to.
class CReferenceParser {
 public:
  explicit CReferenceParser(std::size_t sysexLimit) : mLimit(sysexLimit) {}

  void Feed(std::uint8_t byte) {
    if (byte >= 0xF8) return Emit({byte}, false);  // real time, wherever it stands
    if (mInSysex) {
      if (byte < 0x80) return mSysex.push_back(byte);
      if (byte == 0xF7) {
        mSysex.push_back(byte);
        return EndSysex(false);
      }
      EndSysex(true);  // cut short by a status byte, which then counts on its own
    }
    if (byte >= 0x80) return StartMessage(byte);
    if (mPending.empty()) {
      if (mRunningStatus == 0) return;  // a data byte without a status
      mPending = {mRunningStatus};
      mNeeded = CMidiStreamParser::MessageLength(mRunningStatus);
    }
    mPending.push_back(byte);
    if (mPending.size() == mNeeded) {
      Emit(mPending, false);
      mPending.clear();
    }
  }

  std::vector<SParsed> Finish() {
    if (mInSysex) EndSysex(true);
    return mMessages;
  }

 private:
  void StartMessage(std::uint8_t status) {
    mPending.clear();
    // Channel messages set running status; every system common message (F7 included) ends it.
    mRunningStatus = status < 0xF0 ? status : 0;
    if (status == 0xF0) {
      mInSysex = true;
      mSysex = {status};
      return;
    }
    if (status == 0xF7) return;
    mNeeded = CMidiStreamParser::MessageLength(status);
    mPending = {status};
    if (mNeeded == 1) {
      Emit(mPending, false);
      mPending.clear();
    }
  }

  void EndSysex(bool cutShort) {
    mInSysex = false;
    const bool tooLong = mSysex.size() > mLimit;
    if (tooLong) mSysex.resize(mLimit);
    Emit(mSysex, cutShort || tooLong);
  }

  void Emit(Bytes bytes, bool truncated) { mMessages.push_back({std::move(bytes), truncated}); }

  std::size_t mLimit;
  std::vector<SParsed> mMessages;
  Bytes mSysex;
  bool mInSysex = false;
  Bytes mPending;
  std::size_t mNeeded = 0;
  std::uint8_t mRunningStatus = 0;
};

std::vector<SParsed> ParseInPieces(std::size_t sysexLimit, std::span<const std::uint8_t> stream,
                                   std::uint32_t cutSeed) {
  CMidiStreamParser parser(sysexLimit);
  std::vector<SParsed> messages;
  auto collect = [&](std::span<const std::uint8_t> message, bool truncated) {
    messages.push_back({Bytes(message.begin(), message.end()), truncated});
  };
  std::uint32_t state = cutSeed;
  while (!stream.empty()) {
    state = state * 1103515245u + 12345u;
    // Pieces of 0 to 15 bytes; seed 0 feeds the stream whole.
    const std::size_t piece = cutSeed == 0 ? stream.size() : (state >> 16) % 16;
    parser.Feed(stream.first(std::min(piece, stream.size())), collect);
    stream = stream.subspan(std::min(piece, stream.size()));
  }
  parser.Flush(collect);
  return messages;
}

void FuzzParser(CFuzzInput& input) {
  static constexpr std::size_t kLimits[] = {0, 1, 2, 3, 4, 8, 16, 141, 1024};
  const std::size_t limit = kLimits[input.Byte() % std::size(kLimits)];
  const std::uint8_t cutSeed = input.Byte();
  const std::span<const std::uint8_t> stream = input.Rest();

  CReferenceParser reference(limit);
  for (std::uint8_t byte : stream) reference.Feed(byte);
  const std::vector<SParsed> expected = reference.Finish();
  for (const SParsed& message : expected) {
    if (!message.truncated && message.bytes.front() == 0xF0)
      Require(message.bytes.back() == 0xF7 && message.bytes.size() <= limit, "reference");
  }
  Require(ParseInPieces(limit, stream, 0) == expected, "the parser follows the MIDI rules");
  Require(ParseInPieces(limit, stream, 1) == expected,
          "the parser gives the same messages in pieces");
  Require(ParseInPieces(limit, stream, cutSeed | 0x100u) == expected,
          "the parser gives the same messages however the bytes are cut");
}

// ------------------------------------------------------------------ input queue

class CCollectingHandler : public CMidiInHandler {
 public:
  void ProcessMessage(const unsigned char* data, long length) override {
    mMessages.emplace_back(data, data + length);
  }
  std::vector<Bytes> mMessages;
};

// What should come out of the queue: the messages completed by the insertions, in order.
class CQueueModel {
 public:
  void Insert(std::span<const std::uint8_t> bytes, std::uint8_t flags) {
    if (bytes.empty()) return;
    const bool continues = (flags & kContinues) != 0;
    const bool more = (flags & kMoreFollows) != 0;
    if (!continues) {
      if (mOpen) ++mAbandoned;  // a new message begins before the open one ended
      mOpen = true;
      mMessage.assign(bytes.begin(), bytes.end());
    } else if (mOpen) {
      mMessage.insert(mMessage.end(), bytes.begin(), bytes.end());
    } else {
      return;  // the rest of a message whose beginning never came
    }
    if (!more) {
      mComplete.push_back(mMessage);
      mOpen = false;
    }
  }
  std::size_t Finish() { return mAbandoned + (mOpen ? 1 : 0); }
  const std::vector<Bytes>& Complete() const { return mComplete; }

 private:
  std::vector<Bytes> mComplete;
  Bytes mMessage;
  bool mOpen = false;
  std::size_t mAbandoned = 0;
};

// Operations, one byte each: low two bits 0 and 1 insert (the next byte is the length, then
// the data; bits 2-3 are the position flags; bit 4 inserts a packet of three times that
// length), 2
// delivers up to (byte >> 2) messages, 3 delivers everything.
void FuzzQueue(CFuzzInput& input) {
  const long ringSize = 2 + input.Byte() % 63;
  CMidiInQueue queue;
  CCollectingHandler handler;
  CQueueModel model;
  Require(queue.AllocateQueue(ringSize), "a ring is made");
  queue.AllocateMsgBuffer(8);
  queue.SetMidiInHandler(&handler);
  queue.StartQueueWatching();
  while (!input.Empty()) {
    const std::uint8_t op = input.Byte();
    switch (op & 0x03) {
      case 0:
      case 1: {
        const auto flags = static_cast<std::uint8_t>((op >> 2) & 0x03);
        const bool packet = (op & 0x10) != 0;
        const std::size_t length = input.Byte() * std::size_t{packet ? 3u : 1u};
        const std::span<const std::uint8_t> bytes = input.Bytes(length);
        if (packet) {
          queue.InsertPacket(bytes.data(), bytes.size(), flags);
        } else {
          queue.InsertQueue(bytes.data(), static_cast<unsigned char>(bytes.size()), flags);
        }
        model.Insert(bytes, flags);
        break;
      }
      case 2:
        queue.CheckQueueMessage(static_cast<unsigned short>(op >> 2));
        break;
      default:
        queue.CheckQueueMessage(0xFFFF);
        break;
    }
  }
  queue.CheckQueueMessage(0xFFFF);
  const std::size_t unfinished = model.Finish();

  // What came out is the complete messages put in, in order, with some left out.
  const std::vector<Bytes>& complete = model.Complete();
  std::size_t next = 0;
  for (const Bytes& message : handler.mMessages) {
    while (next < complete.size() && complete[next] != message) ++next;
    Require(next < complete.size(), "the queue hands out only messages put in, in order");
    ++next;
  }
  const std::size_t lost = complete.size() - handler.mMessages.size();
  const unsigned long dropped = queue.GetDroppedCount();
  Require(dropped >= lost, "every message lost is counted as dropped");
  Require(dropped <= lost + unfinished, "no drop is counted for a message handed out");
  Require(queue.GetPendingCount() == 0, "nothing stays pending after delivery");
}

// ------------------------------------------------------------------ bulk dump

constexpr long kAddressPos = 7;
constexpr long kAddressPos_100 = 6;
constexpr long kNibblePos = 11;
constexpr long kNibblePos_100 = 10;
constexpr long kChecksumPos = 139;
constexpr long kMinDumpLength = 140;

std::uint8_t Checksum(const std::uint8_t* first, const std::uint8_t* last) {
  unsigned sum = 0;
  for (; first != last; ++first) sum += *first;
  return static_cast<std::uint8_t>((128 - sum % 128) % 128);
}

// The record a dump fills, decided from the message alone; -1 when it is refused.
long ExpectedTarget(const Bytes& dump, bool old) {
  if (static_cast<long>(dump.size()) < kMinDumpLength) return -1;
  static constexpr long kCheckPos[] = {0, 1, 3, 4, 5, 6};
  static constexpr long kCheckPos_100[] = {0, 1, 3, 4, 5};
  for (long pos : old ? std::span<const long>(kCheckPos_100) : std::span<const long>(kCheckPos))
    if (dump[pos] != (old ? kBulkHeader_100 : kBulkHeader)[pos]) return -1;
  const std::uint8_t* address = dump.data() + (old ? kAddressPos_100 : kAddressPos);
  if (address[0] != 0 || address[1] != 0 || address[3] != 0) return -1;
  const long row = address[2];
  if (row >= (old ? kControllerCount_100 : kControllerCount)) return -1;
  if (!old && (static_cast<long>(dump.size()) <= kChecksumPos ||
               dump[kChecksumPos] != Checksum(&dump[kAddressPos], &dump[kChecksumPos]))) {
    return -1;
  }
  if (!old) return row;
  static constexpr long kOldShift[kControllerCount_100] = {0,  0,  0,  0,  0,  0,  0,  0,  1,
                                                           1,  1,  1,  1,  1,  1,  1,  11, 11,
                                                           11, 11, 11, 11, 19, 19, 19, 20, 20};
  return row + kOldShift[row];
}

void FillPatch(CPatch& patch) {
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam* param = patch.GetParam(index);
    std::memset(param, static_cast<int>(0x11 * (index % 15)), sizeof *param);
    param->name[0] = 3;
  }
}

void FuzzDump(CFuzzInput& input) {
  const std::uint8_t options = input.Byte();
  const bool old = (options & 0x01) != 0;
  const std::span<const std::uint8_t> rest = input.Rest();
  Bytes dump(rest.begin(), rest.end());
  if (dump.size() >= static_cast<std::size_t>(kChecksumPos + 1)) {
    if ((options & 0x02) != 0) {
      if (old) {
        std::memcpy(dump.data(), kBulkHeader_100, sizeof kBulkHeader_100);
      } else {
        std::memcpy(dump.data(), kBulkHeader, sizeof kBulkHeader);
      }
    }
    if ((options & 0x08) != 0) {
      std::uint8_t* address = dump.data() + (old ? kAddressPos_100 : kAddressPos);
      const std::uint8_t rows = old ? kControllerCount_100 : kControllerCount;
      address[0] = address[1] = address[3] = 0;
      address[2] = static_cast<std::uint8_t>(address[2] % rows);
    }
    if ((options & 0x04) != 0)
      dump[kChecksumPos] = Checksum(&dump[kAddressPos], &dump[kChecksumPos]);
  }

  CPatch patch;
  patch.SetVersion(old ? kPatchVersion_100 : kPatchVersion);
  FillPatch(patch);
  CPatch before;
  FillPatch(before);
  patch.ProcessMessage(dump.data(), static_cast<long>(dump.size()));

  const long target = ExpectedTarget(dump, old);
  for (long index = 0; index < kControllerCount; ++index) {
    SPatchParam expected = *before.GetParam(index);
    if (index == target) {
      const std::uint8_t* nibbles = dump.data() + (old ? kNibblePos_100 : kNibblePos);
      std::uint8_t* image = expected.DeviceImage();
      for (std::size_t k = 0; k < kDeviceImageSize; ++k)
        image[k] = static_cast<std::uint8_t>(((nibbles[2 * k] & 0x0F) << 4) | (nibbles[2 * k + 1] & 0x0F));
      static constexpr std::uint8_t kAlternates[] = {2, 4, 6, 8, 16, 18, 21, 23};
      for (std::uint8_t alternate : kAlternates)
        if (expected.msgType == alternate) --expected.msgType;
    }
    Require(std::memcmp(&expected, patch.GetParam(index), sizeof expected) == 0,
            index == target ? "an accepted dump lands as its nibbles say"
                            : "a dump changes no other record");
  }
  Require(patch.GetReceivedCount() == (target >= 0 ? 1 : 0), "an accepted dump is counted once");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceAlerts();
  CFuzzInput input(data, size);
  switch (input.Byte() % 3) {
    case 0:
      FuzzParser(input);
      break;
    case 1:
      FuzzQueue(input);
      break;
    default:
      FuzzDump(input);
      break;
  }
  return 0;
}

#include "midi/platform/CMidiPacketSink.h"

#include <algorithm>
#include <chrono>

CMidiPacketSink::CMidiPacketSink(MIDIReadProc readProc, void* readRefCon, void* connRefCon)
    : mReadProc(readProc), mReadRefCon(readRefCon), mConnRefCon(connRefCon) {}

void CMidiPacketSink::Deliver(const std::uint8_t* bytes, std::size_t length,
                              MIDITimeStamp timeStamp) noexcept {
  if (mReadProc == nullptr || bytes == nullptr) return;
  while (length > 0) {
    mList.numPackets = 0;
    MIDIPacket* packet = &mList.packet[0];
    while (length > 0 && mList.numPackets < kMIDIPacketListCapacity) {
      const std::size_t chunk = std::min(length, kMIDIPacketDataSize);
      packet->timeStamp = timeStamp;
      packet->length = static_cast<std::uint16_t>(chunk);
      std::copy_n(bytes, chunk, packet->data);
      bytes += chunk;
      length -= chunk;
      ++mList.numPackets;
      packet = MIDIPacketNext(packet);
    }
    mReadProc(&mList, mReadRefCon, mConnRefCon);
  }
}

MIDITimeStamp CMidiPacketSink::Now() noexcept {
  const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<MIDITimeStamp>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count());
}

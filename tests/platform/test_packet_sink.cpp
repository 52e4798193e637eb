#include "midi/platform/CMidiPacketSink.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct SCall {
  std::vector<std::size_t> packetLengths;
  Bytes bytes;
  void* readRefCon = nullptr;
  void* connRefCon = nullptr;
};

void Record(const MIDIPacketList* list, void* readRefCon, void* connRefCon) {
  auto* calls = static_cast<std::vector<SCall>*>(readRefCon);
  SCall call{{}, {}, readRefCon, connRefCon};
  const MIDIPacket* packet = &list->packet[0];
  for (std::uint32_t i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet)) {
    call.packetLengths.push_back(packet->length);
    call.bytes.insert(call.bytes.end(), packet->data, packet->data + packet->length);
  }
  calls->push_back(call);
}

struct SSplitRow {
  const char* name;
  std::size_t length;
  std::vector<std::vector<std::size_t>> lists;  // packet lengths of each read call
};

const SSplitRow kSplitRows[] = {
    {"a note", 3, {{3}}},
    {"a bulk dump", 141, {{141}}},
    {"exactly one packet", 256, {{256}}},
    {"one byte over", 257, {{256, 1}}},
    {"a full list", 1024, {{256, 256, 256, 256}}},
    {"into a second list", 1300, {{256, 256, 256, 256}, {256, 20}}},
};

TEST(MidiPacketSink, LongMessagesSpreadOverPacketsAndLists) {
  int connection = 7;
  for (const auto& row : kSplitRows) {
    SCOPED_TRACE(row.name);
    std::vector<SCall> calls;
    CMidiPacketSink sink(Record, &calls, &connection);
    Bytes message(row.length);
    for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<std::uint8_t>(i);
    sink.Deliver(message.data(), message.size(), 42);
    ASSERT_EQ(calls.size(), row.lists.size());
    Bytes joined;
    for (std::size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].packetLengths, row.lists[i]);
      EXPECT_EQ(calls[i].connRefCon, &connection);
      joined.insert(joined.end(), calls[i].bytes.begin(), calls[i].bytes.end());
    }
    EXPECT_EQ(joined, message);
  }
}

TEST(MidiPacketSink, NothingToDeliverCallsNothing) {
  std::vector<SCall> calls;
  CMidiPacketSink sink(Record, &calls, nullptr);
  const std::uint8_t byte = 0xF8;
  sink.Deliver(&byte, 0, 0);
  sink.Deliver(nullptr, 3, 0);
  EXPECT_TRUE(calls.empty());
}

}  // namespace

#include "midi/platform/CMidiMessageRing.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MidiMessageRing, MessagesComeOutWholeAndInOrder) {
  CMidiMessageRing ring(64);
  const Bytes first = {0x90, 0x40, 0x7F};
  const Bytes second = {0xF0, 1, 2, 3, 4, 5, 0xF7};
  ASSERT_TRUE(ring.Push(first.data(), first.size()));
  ASSERT_TRUE(ring.Push(second.data(), second.size()));
  Bytes out;
  ASSERT_TRUE(ring.Pop(out));
  EXPECT_EQ(out, first);
  ASSERT_TRUE(ring.Pop(out));
  EXPECT_EQ(out, second);
  EXPECT_FALSE(ring.Pop(out));
}

TEST(MidiMessageRing, AMessageThatDoesNotFitIsDroppedWholeAndCounted) {
  CMidiMessageRing ring(16);  // room for 14 bytes of message behind the 2-byte length
  const Bytes fits(10, 0x11);
  const Bytes tooBig(5, 0x22);
  ASSERT_TRUE(ring.Push(fits.data(), fits.size()));
  EXPECT_FALSE(ring.Push(tooBig.data(), tooBig.size()));
  EXPECT_EQ(ring.GetDroppedCount(), 1u);
  Bytes out;
  ASSERT_TRUE(ring.Pop(out));
  EXPECT_EQ(out, fits);
  EXPECT_FALSE(ring.Pop(out));  // nothing of the dropped message is left behind
  ASSERT_TRUE(ring.Push(tooBig.data(), tooBig.size()));  // room again
  ASSERT_TRUE(ring.Pop(out));
  EXPECT_EQ(out, tooBig);
}

TEST(MidiMessageRing, RefusesEmptyAndOverlongMessages) {
  CMidiMessageRing ring(1 << 17);
  const Bytes huge(0x10000, 0x01);
  const std::uint8_t byte = 0xF8;
  EXPECT_FALSE(ring.Push(&byte, 0));
  EXPECT_FALSE(ring.Push(nullptr, 1));
  EXPECT_FALSE(ring.Push(huge.data(), huge.size()));
  EXPECT_EQ(ring.GetDroppedCount(), 3u);
}

TEST(MidiMessageRing, MessagesWrapAroundTheEnd) {
  CMidiMessageRing ring(23);  // a size that does not divide the message sizes
  Bytes out;
  for (std::uint8_t round = 0; round < 50; ++round) {
    const Bytes message = {0xF0, round, static_cast<std::uint8_t>(round + 1), 0x05, 0xF7};
    ASSERT_TRUE(ring.Push(message.data(), message.size()));
    ASSERT_TRUE(ring.Pop(out));
    ASSERT_EQ(out, message);
  }
}

// A producer thread against the consumer: every message arrives whole, in order, or is
// counted as dropped.
TEST(MidiMessageRing, ProducerThreadAgainstConsumer) {
  CMidiMessageRing ring(256);
  constexpr int kMessages = 20000;
  std::thread producer([&ring] {
    for (int i = 0; i < kMessages; ++i) {
      const std::uint8_t length = static_cast<std::uint8_t>(1 + i % 9);
      std::uint8_t message[9];
      for (std::uint8_t k = 0; k < length; ++k) message[k] = static_cast<std::uint8_t>(i + k);
      while (!ring.Push(message, length)) std::this_thread::yield();
    }
  });
  Bytes out;
  int received = 0;
  while (received < kMessages) {
    if (!ring.Pop(out)) {
      std::this_thread::yield();
      continue;
    }
    const std::size_t length = 1 + received % 9;
    ASSERT_EQ(out.size(), length);
    for (std::size_t k = 0; k < length; ++k) {
      ASSERT_EQ(out[k], static_cast<std::uint8_t>(received + k));
    }
    ++received;
  }
  producer.join();
  EXPECT_FALSE(ring.Pop(out));
}

}  // namespace

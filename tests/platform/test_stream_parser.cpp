#include "midi/platform/CMidiStreamParser.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct SMessage {
  Bytes bytes;
  bool truncated = false;
  bool operator==(const SMessage&) const = default;
};

std::vector<SMessage> ParseChunks(const std::vector<Bytes>& chunks, std::size_t maxSysex = 64,
                                  bool flush = false) {
  std::vector<SMessage> out;
  const CMidiStreamParser::MessageFn collect = [&out](std::span<const std::uint8_t> message,
                                                      bool truncated) {
    out.push_back({Bytes(message.begin(), message.end()), truncated});
  };
  CMidiStreamParser parser(maxSysex);
  for (const auto& chunk : chunks) parser.Feed(chunk, collect);
  if (flush) parser.Flush(collect);
  return out;
}

struct SParserRow {
  const char* name;
  std::vector<Bytes> chunks;
  std::vector<SMessage> expected;
  std::size_t maxSysex = 64;
  bool flush = false;
};

const std::vector<SParserRow> kParserRows = {
    {"two notes in one packet",
     {{0x90, 0x40, 0x7F, 0x80, 0x40, 0x00}},
     {{{0x90, 0x40, 0x7F}}, {{0x80, 0x40, 0x00}}}},
    {"running status expanded",
     {{0x90, 0x40, 0x7F, 0x41, 0x7F}},
     {{{0x90, 0x40, 0x7F}}, {{0x90, 0x41, 0x7F}}}},
    {"two-byte channel messages",
     {{0xC3, 0x05, 0xD0, 0x40}},
     {{{0xC3, 0x05}}, {{0xD0, 0x40}}}},
    {"SysEx joined across chunks",
     {{0xF0, 0x7D}, {0x10, 0x00}, {0x01, 0xF7}},
     {{{0xF0, 0x7D, 0x10, 0x00, 0x01, 0xF7}}}},
    {"a clock inside a SysEx comes out at once and does not end it",
     {{0xF0, 0x01, 0xF8, 0x02, 0xF7}},
     {{{0xF8}}, {{0xF0, 0x01, 0x02, 0xF7}}}},
    {"a status byte cuts a SysEx short",
     {{0xF0, 0x01, 0x02, 0x90, 0x40, 0x7F}},
     {{{0xF0, 0x01, 0x02}, true}, {{0x90, 0x40, 0x7F}}}},
    {"a SysEx longer than kept is marked",
     {{0xF0, 1, 2, 3, 4, 5, 6, 0xF7}},
     {{{0xF0, 1, 2, 3}, true}},
     4},
    {"a SysEx one byte longer than kept is marked",
     {{0xF0, 1, 2, 3, 0xF7}},
     {{{0xF0, 1, 2, 3}, true}},
     4},
    {"a SysEx that just fits is whole", {{0xF0, 1, 2, 0xF7}}, {{{0xF0, 1, 2, 0xF7}}}, 4},
    {"system common lengths",
     {{0xF1, 0x10, 0xF2, 0x01, 0x02, 0xF3, 0x05, 0xF6}},
     {{{0xF1, 0x10}}, {{0xF2, 0x01, 0x02}}, {{0xF3, 0x05}}, {{0xF6}}}},
    {"system common ends running status",
     {{0x90, 0x40, 0x7F, 0xF6, 0x41, 0x7F}},
     {{{0x90, 0x40, 0x7F}}, {{0xF6}}}},
    {"a SysEx ends running status",
     {{0x90, 0x3C, 0x40, 0xF0, 0x7D, 0xF7, 0x3C, 0x00}},
     {{{0x90, 0x3C, 0x40}}, {{0xF0, 0x7D, 0xF7}}}},
    {"stray data and a lone F7 are dropped", {{0x12, 0x34, 0xF7}}, {}},
    {"a lone F7 ends running status",
     {{0x90, 0x40, 0x7F, 0xF7, 0x41, 0x7F, 0x80, 0x40, 0x00}},
     {{{0x90, 0x40, 0x7F}}, {{0x80, 0x40, 0x00}}}},
    {"an unfinished SysEx waits", {{0xF0, 0x01}}, {}},
    {"flush hands out an unfinished SysEx", {{0xF0, 0x01}}, {{{0xF0, 0x01}, true}}, 64, true},
    {"a message split between chunks", {{0xB0}, {0x07}, {0x64}}, {{{0xB0, 0x07, 0x64}}}},
};

TEST(MidiStreamParser, CutsStreamsIntoMessages) {
  for (const auto& row : kParserRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ParseChunks(row.chunks, row.maxSysex, row.flush), row.expected);
  }
}

TEST(MidiStreamParser, MessageLengthsByStatus) {
  const std::pair<std::uint8_t, std::size_t> rows[] = {
      {0x80, 3}, {0x9F, 3}, {0xA0, 3}, {0xB5, 3}, {0xC0, 2}, {0xD7, 2}, {0xE0, 3},
      {0xF0, 0}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF7, 0}, {0xF8, 1},
      {0xFE, 1}, {0x40, 0}};
  for (const auto& [status, length] : rows) {
    SCOPED_TRACE(static_cast<int>(status));
    EXPECT_EQ(CMidiStreamParser::MessageLength(status), length);
  }
}

TEST(MidiStreamParser, ResetForgetsRunningStatusAndSysex) {
  std::vector<SMessage> out;
  const CMidiStreamParser::MessageFn collect = [&out](std::span<const std::uint8_t> message,
                                                      bool truncated) {
    out.push_back({Bytes(message.begin(), message.end()), truncated});
  };
  CMidiStreamParser parser(16);
  parser.Feed(Bytes{0x90, 0x40, 0x7F, 0xF0, 0x01}, collect);
  parser.Reset();
  parser.Feed(Bytes{0x41, 0x7F, 0xF7}, collect);
  EXPECT_EQ(out, (std::vector<SMessage>{{{0x90, 0x40, 0x7F}}}));
}

}  // namespace

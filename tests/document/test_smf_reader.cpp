#include "document/CSMFReader.h"
#include "document/CSMFWriter.h"

#include "framework/core/FSSpec.h"
#include "framework/core/LString.h"
#include "support/StTempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::uint8_t kMetaText = 0x01;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;

// --- building files ---------------------------------------------------------------------------

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes firstBytes(const Bytes& bytes, std::size_t count) {
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

Bytes text(const std::string& characters) { return Bytes(characters.begin(), characters.end()); }

Bytes bigEndian32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

Bytes variableLength(std::uint32_t value) {
  Bytes groups = {static_cast<std::uint8_t>(value & 0x7F)};
  while ((value >>= 7) != 0)
    groups.insert(groups.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
  return groups;
}

Bytes header(std::uint16_t format, std::uint16_t tracks) {
  return cat(
      {text("MThd"),
       bigEndian32(6),
       {static_cast<std::uint8_t>(format >> 8), static_cast<std::uint8_t>(format),
        static_cast<std::uint8_t>(tracks >> 8), static_cast<std::uint8_t>(tracks), 0x00, 0x60}});
}

Bytes trackChunk(const Bytes& events) {
  return cat({text("MTrk"), bigEndian32(static_cast<std::uint32_t>(events.size())), events});
}

Bytes smf(std::uint16_t format, std::initializer_list<Bytes> trackEvents) {
  Bytes file = header(format, static_cast<std::uint16_t>(trackEvents.size()));
  for (const Bytes& events : trackEvents) file = cat({file, trackChunk(events)});
  return file;
}

Bytes meta(std::uint32_t delta, std::uint8_t type, const Bytes& data) {
  return cat({variableLength(delta),
              {0xFF, type},
              variableLength(static_cast<std::uint32_t>(data.size())),
              data});
}

Bytes textEvent(std::uint32_t delta, const std::string& characters) {
  return meta(delta, kMetaText, text(characters));
}

Bytes endOfTrack(std::uint32_t delta = 0) { return meta(delta, kMetaEndOfTrack, {}); }

// `message` runs from F0 through F7.
Bytes sysex(std::uint32_t delta, const Bytes& message) {
  return cat({variableLength(delta),
              {message.front()},
              variableLength(static_cast<std::uint32_t>(message.size() - 1)),
              Bytes(message.begin() + 1, message.end())});
}

Bytes sysexMessage(std::size_t length) {
  Bytes message(length);
  for (std::size_t i = 0; i < length; ++i) message[i] = static_cast<std::uint8_t>(i % 0x7F);
  message.front() = 0xF0;
  message.back() = 0xF7;
  return message;
}

// --- reading files ----------------------------------------------------------------------------

Bytes dataOf(const SSMFEvent& event) { return Bytes(event.data, event.data + event.length); }

std::string textOf(const SSMFEvent& event) {
  return std::string(reinterpret_cast<const char*>(event.data),
                     static_cast<std::size_t>(event.length));
}

std::vector<SSMFEvent> readAll(CSMFReader& reader) {
  std::vector<SSMFEvent> events;
  SSMFEvent event;
  while (reader.GetNextEvent(event)) events.push_back(event);
  return events;
}

// The texts of the Text events, in merged order.
std::vector<std::string> textsInOrder(const Bytes& file) {
  CSMFReader reader;
  EXPECT_EQ(reader.OpenData(file), 0);
  std::vector<std::string> texts;
  for (const SSMFEvent& event : readAll(reader)) {
    if (event.status == 0xFF && event.metaType == kMetaText) texts.push_back(textOf(event));
  }
  return texts;
}

// Reads until the end and checks nothing impossible came out; returns the event count.
std::size_t drain(CSMFReader& reader, std::size_t maxEvents) {
  std::size_t count = 0;
  SSMFEvent event;
  while (count <= maxEvents && reader.GetNextEvent(event)) {
    EXPECT_GE(event.length, 0);
    EXPECT_LE(event.length, 256);
    ++count;
  }
  EXPECT_LE(count, maxEvents);
  EXPECT_TRUE(reader.GetReadError() == 0 || reader.GetReadError() == CSMFReader::kErrRead);
  return count;
}

// A format-1 file with a bit of everything, and its events as separate pieces of the track.
std::vector<Bytes> mixedTrackEvents() {
  return {textEvent(0, "name"),
          sysex(0, sysexMessage(20)),
          {0x00, 0x90, 0x3C, 0x40},
          {0x83, 0x60, 0x3C, 0x00},  // running status after a two-byte delta
          {0x10, 0xC3, 0x05},
          {0x00, 0x06},  // running status on a program change
          meta(0, 0x51, {0x07, 0xA1, 0x20}),
          {0x81, 0x80, 0x00, 0xE0, 0x00, 0x40},
          sysex(0, sysexMessage(300)),
          endOfTrack()};
}

Bytes joined(const std::vector<Bytes>& pieces) {
  Bytes all;
  for (const Bytes& piece : pieces) all.insert(all.end(), piece.begin(), piece.end());
  return all;
}

}  // namespace

// --- merged order -----------------------------------------------------------------------------

TEST(SMFReader, MergesTracksByTimeEarlierTrackFirst) {
  struct Row {
    const char* name;
    Bytes file;
    std::vector<std::string> order;
  };
  const Row rows[] = {
      {"two tracks",
       smf(1, {cat({textEvent(0, "1@0"), textEvent(10, "1@10"), endOfTrack()}),
               cat({textEvent(0, "2@0"), textEvent(5, "2@5"), endOfTrack()})}),
       {"1@0", "2@0", "2@5", "1@10"}},
      {"ties go to the earlier track",
       smf(1, {cat({textEvent(7, "1@7")}), cat({textEvent(7, "2@7")}), cat({textEvent(7, "3@7")})}),
       {"1@7", "2@7", "3@7"}},
      {"empty and end-only tracks take no part",
       smf(1, {Bytes{}, cat({endOfTrack()}), cat({textEvent(3, "3@3")})}),
       {"3@3"}},
      {"large delta times",
       smf(1, {cat({textEvent(0x0FFFFFFF, "1@big")}),
               cat({textEvent(0x08000000, "2@half"), textEvent(0x08000000, "2@full")})}),
       {"2@half", "1@big", "2@full"}},
      {"format 0",
       smf(0, {cat({textEvent(0, "a"), textEvent(1, "b"), endOfTrack(8)})}),
       {"a", "b"}},
      {"no tracks", smf(1, {}), {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(textsInOrder(row.file), row.order);
  }
}

TEST(SMFReader, CurrentTrackFollowsTheEvents) {
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(smf(1, {cat({textEvent(0, "a")}), cat({textEvent(1, "b")})})), 0);
  EXPECT_EQ(reader.GetCurTrack(), nullptr);
  SSMFEvent event;
  ASSERT_TRUE(reader.GetNextEvent(event));
  CSMFReader::CTrack* first = reader.GetCurTrack();
  ASSERT_TRUE(reader.GetNextEvent(event));
  EXPECT_NE(reader.GetCurTrack(), nullptr);
  EXPECT_NE(reader.GetCurTrack(), first);
  EXPECT_FALSE(reader.GetNextEvent(event));
  EXPECT_EQ(reader.GetCurTrack(), nullptr);
  EXPECT_EQ(reader.GetReadError(), 0);
}

TEST(SMFReader, ReadingOnInTheCurrentTrackMovesItInTheMerge) {
  const Bytes file =
      smf(1, {cat({sysex(0, sysexMessage(6)), textEvent(0, "dump name"), textEvent(20, "1@20")}),
              cat({textEvent(10, "2@10")})});
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(file), 0);
  SSMFEvent event;
  ASSERT_TRUE(reader.GetNextEvent(event));
  ASSERT_EQ(event.status, 0xF0);

  CSMFReader::CTrack* track = reader.GetCurTrack();
  std::uint8_t metaType = 0;
  EXPECT_EQ(track->GetNextEventStatus(&metaType), 0xFF);
  EXPECT_EQ(metaType, kMetaText);
  ASSERT_EQ(track->ReadEvent(event), 0);
  EXPECT_EQ(textOf(event), "dump name");

  std::vector<std::string> rest;
  for (const SSMFEvent& later : readAll(reader)) rest.push_back(textOf(later));
  EXPECT_EQ(rest, (std::vector<std::string>{"2@10", "1@20"}));
}

TEST(SMFReader, NextEventStatusNeedsTwoBytes) {
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(smf(0, {cat({textEvent(0, "a"), {0x00, 0xC0, 0x01, 0x00, 0x02}})})), 0);
  SSMFEvent event;
  ASSERT_TRUE(reader.GetNextEvent(event));
  EXPECT_EQ(reader.GetCurTrack()->GetNextEventStatus(nullptr), 0xC0);
  ASSERT_TRUE(reader.GetNextEvent(event));
  // One byte (a running-status program change) is left: too little to peek at.
  EXPECT_EQ(reader.GetCurTrack()->GetNextEventStatus(nullptr), 0);
  ASSERT_TRUE(reader.GetNextEvent(event));
  EXPECT_EQ(dataOf(event), (Bytes{0xC0, 0x02}));
  EXPECT_FALSE(reader.GetCurTrack()->ValidNextEvent());
}

// --- event contents ---------------------------------------------------------------------------

TEST(SMFReader, ReadsBackWhatTheWriterWrote) {
  CSMFWriter writer;
  writer.OutputTempo(0, 120);
  writer.OutputSequenceTrack(0, LStr255("Title"));
  const std::uint8_t notice[] = {0xA9, ' ', '2', '0'};
  writer.OutputCopyright(0, notice, sizeof notice);
  const Bytes dump = sysexMessage(141);
  writer.OutputSysx(8, dump.data(), static_cast<long>(dump.size()));
  writer.OutputText(0, LStr255(""));
  writer.FinishTrack();

  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(writer.GetBytes()), 0);
  const std::vector<SSMFEvent> events = readAll(reader);
  ASSERT_EQ(events.size(), 6u);
  EXPECT_EQ(events[0].metaType, 0x51);
  EXPECT_EQ(dataOf(events[0]), (Bytes{0x07, 0xA1, 0x20}));
  EXPECT_EQ(textOf(events[1]), "Title");
  EXPECT_EQ(dataOf(events[2]), Bytes(notice, notice + sizeof notice));
  EXPECT_EQ(events[3].status, 0xF0);
  EXPECT_EQ(events[3].metaType, 0);
  EXPECT_EQ(dataOf(events[3]), dump);
  EXPECT_EQ(events[4].length, 0);
  EXPECT_EQ(events[5].metaType, kMetaEndOfTrack);
}

TEST(SMFReader, LongSysExKeeps256BytesAndReadsOn) {
  const Bytes message = sysexMessage(300);
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(smf(0, {cat({sysex(0, message), textEvent(0, "next")})})), 0);
  const std::vector<SSMFEvent> events = readAll(reader);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].length, 256);
  EXPECT_EQ(dataOf(events[0]), Bytes(message.begin(), message.begin() + 256));
  EXPECT_EQ(textOf(events[1]), "next");
}

TEST(SMFReader, SysExContinuationKeepsItsStatus) {
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(smf(0, {{0x00, 0xF7, 0x02, 0x43, 0xF7}})), 0);
  const std::vector<SSMFEvent> events = readAll(reader);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].status, 0xF7);
  EXPECT_EQ(dataOf(events[0]), (Bytes{0xF7, 0x43, 0xF7}));
}

TEST(SMFReader, LongTextKeeps256BytesAndGivesShortStrings) {
  std::string long_text;
  for (int i = 0; i < 300; ++i) long_text += static_cast<char>('a' + i % 26);
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(smf(0, {cat({textEvent(0, long_text), textEvent(0, "next")})})), 0);
  const std::vector<SSMFEvent> events = readAll(reader);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].length, 256);
  EXPECT_EQ(textOf(events[0]), long_text.substr(0, 256));
  EXPECT_EQ(textOf(events[1]), "next");

  struct Row {
    const char* name;
    long capacity;
    std::string expected;
  };
  const Row rows[] = {
      {"a title field", 129, long_text.substr(0, 128)},
      {"a full Str255", 256, long_text.substr(0, 255)},
      {"larger than a string can be", 1000, long_text.substr(0, 255)},
      {"room for the length byte only", 1, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Str255 out;
    events[0].GetString(out, row.capacity);
    EXPECT_EQ(LString::ToStd(out), row.expected);
  }
  Str255 untouched = {9};
  events[0].GetString(untouched, 0);
  EXPECT_EQ(untouched[0], 9);
}

TEST(SMFReader, RunningStatus) {
  struct Row {
    const char* name;
    Bytes track;
    std::vector<Bytes> data;
    std::vector<std::uint8_t> status;
  };
  const Row rows[] = {
      {"note on",
       {0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E, 0x40},
       {{0x90, 0x3C, 0x40}, {0x90, 0x3E, 0x40}},
       {0x90, 0x3E}},
      {"program change",
       {0x00, 0xC1, 0x05, 0x00, 0x06},
       {{0xC1, 0x05}, {0xC1, 0x06}},
       {0xC1, 0x06}},
      {"channel pressure",
       {0x00, 0xD2, 0x10, 0x00, 0x11},
       {{0xD2, 0x10}, {0xD2, 0x11}},
       {0xD2, 0x11}},
      {"pitch bend",
       {0x00, 0xE0, 0x00, 0x40, 0x00, 0x7F, 0x7F},
       {{0xE0, 0x00, 0x40}, {0xE0, 0x7F, 0x7F}},
       {0xE0, 0x7F}},
      {"kept across a meta event",
       cat({{0x00, 0xB0, 0x07, 0x64}, textEvent(0, "t"), {0x00, 0x0A, 0x40}}),
       {{0xB0, 0x07, 0x64}, text("t"), {0xB0, 0x0A, 0x40}},
       {0xB0, 0xFF, 0x0A}},
      {"a new status replaces it",
       {0x00, 0x90, 0x3C, 0x40, 0x00, 0x80, 0x3C, 0x00, 0x00, 0x3E, 0x00},
       {{0x90, 0x3C, 0x40}, {0x80, 0x3C, 0x00}, {0x80, 0x3E, 0x00}},
       {0x90, 0x80, 0x3E}},
      {"a stray system byte counts as data",
       {0x00, 0xA0, 0x3C, 0x20, 0x00, 0xF8, 0x21},
       {{0xA0, 0x3C, 0x20}, {0xA0, 0xF8, 0x21}},
       {0xA0, 0xF8}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CSMFReader reader;
    ASSERT_EQ(reader.OpenData(smf(0, {row.track})), 0);
    const std::vector<SSMFEvent> events = readAll(reader);
    EXPECT_EQ(reader.GetReadError(), 0);
    ASSERT_EQ(events.size(), row.data.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
      EXPECT_EQ(dataOf(events[i]), row.data[i]) << "event " << i;
      EXPECT_EQ(events[i].status, row.status[i]) << "event " << i;
    }
  }
}

TEST(SMFReader, SysExAtTheVeryEndOfATrackIsReadWhole) {
  const Bytes message = sysexMessage(141);
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(
                smf(1, {cat({textEvent(0, "a"), sysex(8, message)}), cat({textEvent(100, "b")})})),
            0);
  const std::vector<SSMFEvent> events = readAll(reader);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(dataOf(events[1]), message);
  EXPECT_EQ(textOf(events[2]), "b");
  EXPECT_EQ(reader.GetReadError(), 0);
}

TEST(SMFReader, BigEndianFileNumbersToHostOrder) {
  const std::uint8_t bytes[4] = {0x12, 0x34, 0x56, 0x78};
  std::uint32_t raw32 = 0;
  std::uint16_t raw16 = 0;
  std::memcpy(&raw32, bytes, 4);
  std::memcpy(&raw16, bytes, 2);
  EXPECT_EQ(CSMFReader::GetLEndianUInt32(raw32), 0x12345678u);
  EXPECT_EQ(CSMFReader::GetLEndianUInt16(raw16), 0x1234u);
}

// --- damaged files ----------------------------------------------------------------------------

TEST(SMFReader, OpenErrorCodes) {
  const Bytes track = trackChunk(cat({textEvent(0, "x"), endOfTrack()}));
  struct Row {
    const char* name;
    Bytes file;
    short code;
  };
  const Row rows[] = {
      {"empty", {}, 1},
      {"header cut short", firstBytes(header(0, 1), 13), 1},
      {"not MThd", cat({text("RIFF"), bigEndian32(6), {0, 0, 0, 0, 0, 0x60}}), 1},
      {"header length 7", cat({text("MThd"), bigEndian32(7), {0, 0, 0, 0, 0, 0x60, 0}}), 1},
      {"header length 0xFFFFFFFF", cat({text("MThd"), bigEndian32(0xFFFFFFFF), {0, 0, 0, 0, 0, 0}}),
       1},
      {"format 2", cat({header(2, 1), track}), 2},
      {"format 0xFFFF", cat({header(0xFFFF, 1), track}), 2},
      {"second chunk not MTrk", cat({header(1, 2), track, text("XTrk"), bigEndian32(0)}), 3},
      {"first chunk not MTrk", cat({header(1, 1), text("MTrx"), bigEndian32(0)}), 3},
      {"track chunk missing", cat({header(1, 2), track}), 3},
      {"track preamble cut short", cat({header(1, 1), text("MTr")}), 3},
      {"65535 tracks announced, one present", cat({header(1, 0xFFFF), track}), 3},
      {"track length 0xFFFFFFFF",
       cat({header(0, 1), text("MTrk"), bigEndian32(0xFFFFFFFF), {0, 0xFF, 0x2F, 0}}), 3},
      {"track one byte past the end",
       cat({header(0, 1), text("MTrk"), bigEndian32(5), {0, 0xFF, 0x2F, 0}}), 3},
      {"valid", cat({header(0, 1), track}), 0},
      {"no tracks", header(1, 0), 0},
      {"bytes behind the last track are ignored", cat({header(0, 1), track, text("junk")}), 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CSMFReader reader;
    EXPECT_EQ(reader.OpenData(row.file), row.code);
    if (row.code != 0) {
      SSMFEvent event;
      EXPECT_FALSE(reader.GetNextEvent(event));  // a refused file leaves nothing to read
    }
  }
}

TEST(SMFReader, DamagedTracksStopWithReadError) {
  struct Row {
    const char* name;
    Bytes track;
    std::size_t goodEvents;  // handed out before the damage is met
  };
  const Row rows[] = {
      {"note cut after its first data byte", {0x00, 0x90, 0x3C}, 0},
      {"program change without its data byte", {0x00, 0xC0}, 0},
      {"running status cut short", {0x00, 0x90, 0x3C, 0x40, 0x00, 0x3E}, 1},
      {"data byte without running status", {0x00, 0x3C, 0x40}, 0},
      {"sysex longer than the track", {0x00, 0xF0, 0x05, 0x01, 0x02}, 0},
      {"sysex cut behind its kept part", cat({{0x00, 0xF0, 0x82, 0x10}, Bytes(260, 0x11)}), 0},
      {"sysex length 0x0FFFFFFF", {0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x7F, 0xF7}, 0},
      {"sysex length cut", {0x00, 0xF0, 0x81}, 0},
      {"meta without its type", {0x00, 0xFF}, 0},
      {"meta data cut", {0x00, 0xFF, 0x01, 0x05, 'a'}, 0},
      {"meta length 0x0FFFFFFF", {0x00, 0xFF, 0x01, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}, 0},
      {"meta length of five bytes", {0x00, 0xFF, 0x01, 0x81, 0x81, 0x81, 0x81, 0x01, 'a'}, 0},
      {"first delta time of five bytes", {0x80, 0x80, 0x80, 0x80, 0x00, 0xC0, 0x01}, 0},
      {"first delta time cut", {0x81}, 0},
      {"delta time cut behind a good event", cat({textEvent(0, "ok"), {0x81}}), 1},
      {"delta time of five bytes behind a good event",
       cat({textEvent(0, "ok"), {0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xC0, 0x01}}), 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CSMFReader reader;
    ASSERT_EQ(reader.OpenData(smf(1, {row.track, cat({textEvent(1000, "later")})})), 0);
    EXPECT_EQ(readAll(reader).size(), row.goodEvents);
    EXPECT_EQ(reader.GetReadError(), CSMFReader::kErrRead);
    EXPECT_EQ(reader.GetCurTrack(), nullptr);
    SSMFEvent event;
    EXPECT_FALSE(reader.GetNextEvent(event));  // the error stays until the next open
  }
}

TEST(SMFReader, ABareDeltaTimeEndsOnlyItsTrack) {
  struct Row {
    const char* name;
    Bytes track;
    std::size_t ownEvents;
  };
  const Row rows[] = {
      {"only a delta time", {0x00}, 0},
      {"a delta time behind an event", cat({textEvent(0, "ok"), {0x10}}), 1},
      {"a two-byte delta time behind an event", cat({textEvent(0, "ok"), {0x81, 0x00}}), 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CSMFReader reader;
    ASSERT_EQ(reader.OpenData(smf(1, {row.track, cat({textEvent(1000, "later")})})), 0);
    const std::vector<SSMFEvent> events = readAll(reader);
    ASSERT_EQ(events.size(), row.ownEvents + 1);
    EXPECT_EQ(textOf(events.back()), "later");
    EXPECT_EQ(reader.GetReadError(), 0);
  }
}

TEST(SMFReader, ReadErrorOfADamagedTrackReadDirectly) {
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(smf(0, {cat({textEvent(0, "ok"), {0x00, 0x90, 0x3C}})})), 0);
  SSMFEvent event;
  ASSERT_TRUE(reader.GetNextEvent(event));
  CSMFReader::CTrack* track = reader.GetCurTrack();
  EXPECT_EQ(track->ReadEvent(event), CSMFReader::kErrRead);
  EXPECT_FALSE(track->ValidNextEvent());  // nothing behind the damage is read
  EXPECT_FALSE(reader.GetNextEvent(event));
  EXPECT_EQ(reader.GetReadError(), 0);  // the merge itself met no damage
}

TEST(SMFReader, ReopeningForgetsTheLastFile) {
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(smf(0, {{0x00, 0x3C}})), 0);
  SSMFEvent event;
  EXPECT_FALSE(reader.GetNextEvent(event));
  EXPECT_EQ(reader.GetReadError(), CSMFReader::kErrRead);
  ASSERT_EQ(reader.OpenData(smf(0, {textEvent(0, "fresh")})), 0);
  EXPECT_EQ(reader.GetReadError(), 0);
  ASSERT_TRUE(reader.GetNextEvent(event));
  EXPECT_EQ(textOf(event), "fresh");
}

TEST(SMFReader, FileCutAtEveryOffsetIsRefused) {
  const std::vector<Bytes> events = mixedTrackEvents();
  const Bytes file = smf(1, {joined(events), cat({textEvent(0, "second"), endOfTrack()})});
  for (std::size_t size = 0; size < file.size(); ++size) {
    SCOPED_TRACE("cut at " + std::to_string(size));
    CSMFReader reader;
    const short expected = size < 14 ? CSMFReader::kErrNotSMF : CSMFReader::kErrRead;
    ASSERT_EQ(reader.OpenData(firstBytes(file, size)), expected);
  }
  CSMFReader reader;
  ASSERT_EQ(reader.OpenData(file), 0);
  EXPECT_EQ(drain(reader, 100), events.size() + 2);
  EXPECT_EQ(reader.GetReadError(), 0);
}

TEST(SMFReader, TrackCutAtEveryOffsetGivesTheEventsBeforeTheCut) {
  const std::vector<Bytes> pieces = mixedTrackEvents();
  const Bytes track = joined(pieces);
  CSMFReader full;
  ASSERT_EQ(full.OpenData(smf(0, {track})), 0);
  const std::vector<SSMFEvent> allEvents = readAll(full);
  ASSERT_EQ(allEvents.size(), pieces.size());

  for (std::size_t cut = 0; cut <= track.size(); ++cut) {
    SCOPED_TRACE("track cut at " + std::to_string(cut));
    std::size_t whole = 0;  // events that end at or before the cut
    std::size_t end = 0;
    bool onBoundary = cut == 0;  // between two events, or right behind a delta time
    for (const Bytes& piece : pieces) {
      std::size_t deltaSize = 1;
      while (piece[deltaSize - 1] & 0x80) ++deltaSize;
      onBoundary = onBoundary || end + deltaSize == cut;
      end += piece.size();
      if (end > cut) break;
      ++whole;
      onBoundary = onBoundary || end == cut;
    }
    CSMFReader reader;
    ASSERT_EQ(reader.OpenData(smf(0, {firstBytes(track, cut)})), 0);
    const std::vector<SSMFEvent> events = readAll(reader);
    ASSERT_EQ(events.size(), whole);
    for (std::size_t i = 0; i < whole; ++i) EXPECT_EQ(dataOf(events[i]), dataOf(allEvents[i]));
    EXPECT_EQ(reader.GetReadError(), onBoundary ? 0 : CSMFReader::kErrRead);
  }
}

TEST(SMFReader, RandomGarbageNeverReadsOutOfBounds) {
  for (std::uint32_t seed = 1; seed <= 200; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes body(static_cast<std::size_t>(random() % 600));
    for (auto& b : body) b = static_cast<std::uint8_t>(byte(random));

    CSMFReader reader;
    const short code = reader.OpenData(body);
    EXPECT_TRUE(code >= 1 && code <= 3) << code;  // random bytes are no "MThd"

    // Garbage inside well-formed chunks reaches the event parser.
    ASSERT_EQ(reader.OpenData(smf(1, {body, Bytes(body.rbegin(), body.rend())})), 0);
    drain(reader, 2 * body.size());
  }
}

TEST(SMFReader, RandomlyDamagedValidFileNeverReadsOutOfBounds) {
  const Bytes file =
      smf(1, {joined(mixedTrackEvents()), cat({textEvent(0, "second"), endOfTrack()})});
  for (std::uint32_t seed = 1; seed <= 500; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    Bytes damaged = file;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) {
      damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
    }
    CSMFReader reader;
    const short code = reader.OpenData(damaged);
    ASSERT_TRUE(code >= 0 && code <= 3) << code;
    if (code == 0) drain(reader, damaged.size());
  }
}

// --- files on disk ----------------------------------------------------------------------------

TEST(SMFReader, OpenFileCodes) {
  const kvxtest::StTempFolder folder;
  fs::create_directories(folder / "folder.mid");
  auto write = [&](const char* name, const Bytes& bytes) {
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  };
  write("good.mid", smf(0, {cat({textEvent(0, "on disk"), endOfTrack()})}));
  write("text.mid", text("not a MIDI file at all"));
  write("format2.mid", cat({header(2, 1), trackChunk(endOfTrack())}));
  write("cut.mid", cat({header(0, 1), text("MTrk"), bigEndian32(100)}));

  struct Row {
    const char* name;
    short code;
  };
  const Row rows[] = {
      {"good.mid", 0}, {"text.mid", 1},    {"format2.mid", 2},
      {"cut.mid", 3},  {"missing.mid", 3}, {"folder.mid", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CSMFReader reader;
    EXPECT_EQ(reader.OpenFile(FSSpec::FromPath(folder / row.name)), row.code);
  }
  CSMFReader reader;
  ASSERT_EQ(reader.OpenFile(FSSpec::FromPath(folder / "good.mid")), 0);
  SSMFEvent event;
  ASSERT_TRUE(reader.GetNextEvent(event));
  EXPECT_EQ(textOf(event), "on disk");
}

#include "midi/platform/CMidiStreamParser.h"

#include "framework/core/MidiBytes.h"

namespace {

bool IsStatus(std::uint8_t byte) { return byte >= 0x80; }
bool IsRealtime(std::uint8_t byte) { return byte >= 0xF8; }
bool IsChannelStatus(std::uint8_t byte) { return byte >= 0x80 && byte < 0xF0; }

// Message lengths by the high nibble of a channel status byte (0x8n .. 0xEn).
constexpr std::size_t kChannelLength[7] = {3, 3, 3, 3, 2, 2, 3};
// System common lengths for F0 .. F7: F1 and F3 take one data byte, F2 two, F6 none;
// F4 and F5 are undefined and taken as single bytes.
constexpr std::size_t kSystemLength[8] = {0, 2, 3, 2, 1, 1, 1, 0};

}  // namespace

CMidiStreamParser::CMidiStreamParser(std::size_t maxSysexLength)
    : mMaxSysexLength(maxSysexLength) {
  mSysex.reserve(maxSysexLength);
}

std::size_t CMidiStreamParser::MessageLength(std::uint8_t status) {
  if (IsChannelStatus(status)) return kChannelLength[(status >> 4) - 8];
  if (status >= 0xF0 && status <= 0xF7) return kSystemLength[status - 0xF0];
  if (IsRealtime(status)) return 1;
  return 0;
}

void CMidiStreamParser::Feed(std::span<const std::uint8_t> bytes, const MessageFn& onMessage) {
  for (std::uint8_t byte : bytes) FeedByte(byte, onMessage);
}

void CMidiStreamParser::Flush(const MessageFn& onMessage) {
  if (mInSysex) EndSysex(true, onMessage);
  mMessageLength = 0;
  mExpectedLength = 0;
}

void CMidiStreamParser::Reset() {
  mSysex.clear();
  mInSysex = false;
  mSysexOverflow = false;
  mMessageLength = 0;
  mExpectedLength = 0;
  mRunningStatus = 0;
}

void CMidiStreamParser::FeedByte(std::uint8_t byte, const MessageFn& onMessage) {
  if (IsRealtime(byte)) {
    onMessage(std::span<const std::uint8_t>(&byte, 1), false);
    return;
  }
  if (mInSysex) {
    if (byte == kSysexEnd) {
      KeepSysexByte(byte);
      EndSysex(mSysexOverflow, onMessage);
      return;
    }
    if (!IsStatus(byte)) {
      KeepSysexByte(byte);
      return;
    }
    EndSysex(true, onMessage);  // a status byte cuts an unfinished SysEx short
  }
  if (IsStatus(byte)) {
    StartMessage(byte, onMessage);
    return;
  }
  if (mExpectedLength == 0) {
    if (mRunningStatus == 0) return;  // a stray data byte
    StartMessage(mRunningStatus, onMessage);
  }
  mMessage[mMessageLength++] = byte;
  if (mMessageLength == mExpectedLength) {
    onMessage(std::span<const std::uint8_t>(mMessage, mMessageLength), false);
    mMessageLength = 0;
    mExpectedLength = 0;
  }
}

void CMidiStreamParser::StartMessage(std::uint8_t status, const MessageFn& onMessage) {
  mMessageLength = 0;
  mExpectedLength = 0;
  if (status == kSysexStart) {
    mRunningStatus = 0;
    mInSysex = true;
    mSysexOverflow = mMaxSysexLength == 0;
    mSysex.clear();
    if (mMaxSysexLength > 0) mSysex.push_back(status);
    return;
  }
  mRunningStatus = IsChannelStatus(status) ? status : 0;
  if (status == kSysexEnd) return;  // an F7 without a SysEx: dropped, ending running status
  mMessage[0] = status;
  mMessageLength = 1;
  mExpectedLength = MessageLength(status);
  if (mExpectedLength == 1) {
    onMessage(std::span<const std::uint8_t>(mMessage, 1), false);
    mMessageLength = 0;
    mExpectedLength = 0;
  }
}

// A byte without room, the F7 included, marks the SysEx as cut.
void CMidiStreamParser::KeepSysexByte(std::uint8_t byte) {
  if (mSysex.size() < mMaxSysexLength) {
    mSysex.push_back(byte);
  } else {
    mSysexOverflow = true;
  }
}

void CMidiStreamParser::EndSysex(bool truncated, const MessageFn& onMessage) {
  mInSysex = false;
  mSysexOverflow = false;
  onMessage(std::span<const std::uint8_t>(mSysex.data(), mSysex.size()), truncated);
  mSysex.clear();
}

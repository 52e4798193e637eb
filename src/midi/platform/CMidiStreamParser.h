// Cuts a stream of MIDI bytes into whole messages: running status is expanded, a SysEx that
// arrives in pieces is joined, and real-time bytes (F8-FF) come out on their own at once, even
// from inside a SysEx, which they do not end. Not for the MIDI thread: it calls a std::function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class CMidiStreamParser {
 public:
  // One message; `truncated` marks a SysEx that was longer than the parser keeps (its first
  // bytes are given) or that another status byte cut short (it then has no F7).
  using MessageFn = std::function<void(std::span<const std::uint8_t> message, bool truncated)>;

  explicit CMidiStreamParser(std::size_t maxSysexLength = 1024);

  void Feed(std::span<const std::uint8_t> bytes, const MessageFn& onMessage);
  // Hands out a SysEx still open (as truncated) and forgets any partial message.
  void Flush(const MessageFn& onMessage);
  void Reset();

  // The length of the channel or system common message that starts with this status byte
  // (status byte included); 0 for SysEx, F7 and data bytes.
  static std::size_t MessageLength(std::uint8_t status);

 private:
  void FeedByte(std::uint8_t byte, const MessageFn& onMessage);
  void StartMessage(std::uint8_t status, const MessageFn& onMessage);
  void KeepSysexByte(std::uint8_t byte);
  void EndSysex(bool truncated, const MessageFn& onMessage);

  std::size_t mMaxSysexLength;
  std::vector<std::uint8_t> mSysex;  // the open SysEx, at most mMaxSysexLength bytes kept
  bool mInSysex = false;
  bool mSysexOverflow = false;
  std::uint8_t mMessage[3] = {};  // the channel or system common message being gathered
  std::size_t mMessageLength = 0;
  std::size_t mExpectedLength = 0;
  std::uint8_t mRunningStatus = 0;
};

// The SysEx and free-message template language. Input: one byte whose low 3 bits give the
// data format (6 and 7 are out of range) and whose bit 3 chooses the free-message compiler,
// then the template text (at most 255 characters).
//
// Properties: compiling depends on the text and the format only (not on what the payload held
// before); an accepted template (one that compiles to well-formed MIDI) prints in the edit form
// and compiles again to the same payload; its placeholders lie inside the message and apart;
// a SysEx runs from F0 to its only F7; an accepted free message starts with a status byte.
#include "FuzzSupport.h"

#include "framework/core/LString.h"
#include "utilities/CMidiChk.h"
#include "utilities/UMessageTemplate.h"

#include <cstring>
#include <string_view>

namespace {

constexpr std::uint8_t kStale = 0xA5;  // what a payload held before it is compiled into

template <typename Payload>
bool SameBytes(const Payload& a, const Payload& b) {
  return std::memcmp(&a, &b, sizeof(Payload)) == 0;
}

template <typename Payload>
Payload MakePayload(std::uint8_t dataType, std::uint8_t fill) {
  Payload payload;
  std::memset(&payload, fill, sizeof payload);
  payload.info.dataType = dataType;
  payload.info.minValue = 3;
  payload.info.maxValue = 100;
  return payload;
}

// Placeholder positions, for both payload kinds.
template <typename Payload>
void CheckPlaceholders(const Payload& p, int length) {
  bool reserved[UMessageTemplate::kMaxMessageBytes] = {};
  auto reserve = [&](int position, int count, const char* what) {
    Require(position >= 0 && position + count <= length, what);
    for (int i = position; i < position + count; ++i) {
      Require(!reserved[i], "placeholders do not overlap");
      reserved[i] = true;
    }
  };
  if (p.info.dataType != 0) {
    Require(p.info.dataType <= 5, "the data format is 0..5");
    reserve(p.info.dataPos, kDataSizes[p.info.dataType], "the data bytes lie inside the message");
  } else {
    Require(p.info.dataPos == 0, "without data bytes their position is 0");
  }
  if (p.chType != 0) {
    Require(p.chType <= 2 && p.chHigh <= 7, "the channel byte is x or n with a digit 0..7");
    reserve(p.chPos, 1, "the channel byte lies inside the message");
  } else {
    Require(p.chPos == 0 && p.chHigh == 0, "without a channel byte its fields are 0");
  }
  for (int i = 0; i < length; ++i)
    if (reserved[i]) Require(p.msg[i] == 0, "reserved bytes are stored as 0");
  for (int i = length; i < UMessageTemplate::kMaxMessageBytes; ++i)
    Require(p.msg[i] == 0, "bytes behind the message are 0");
}

// The compiler and printer of one payload kind.
template <typename Payload>
struct SLanguage {
  short (*compile)(ConstStr255Param, Payload&);
  void (*print)(const Payload&, Str255, bool);
};
constexpr SLanguage<SPrmPatCtrlSysEx> kSysex{UMessageTemplate::CompileSysxStr,
                                             UMessageTemplate::MakeSysxStr};
constexpr SLanguage<SPrmPatCtrlSysExFree> kFree{UMessageTemplate::CompileMsgStr,
                                                UMessageTemplate::MakeMsgStr};

// Compiles `text` over a cleared and over a stale payload: both must come out alike.
template <typename Payload>
short Compile(const SLanguage<Payload>& language, std::uint8_t dataType, ConstStr255Param text,
              Payload& compiled) {
  compiled = MakePayload<Payload>(dataType, 0);
  Payload overStale = MakePayload<Payload>(dataType, kStale);
  const short length = language.compile(text, compiled);
  Require(language.compile(text, overStale) == length,
          "the result does not depend on the payload before");
  if (length >= 0) {
    Require(SameBytes(compiled, overStale), "the payload does not depend on what it held");
    Require(length <= UMessageTemplate::kMaxMessageBytes, "at most 24 bytes");
  }
  return length;
}

// Only what the panels accept: a message that is not well-formed MIDI (a free text "8" is the
// data byte 08) is refused, and need not print back.
template <typename Payload>
void CheckPrintsBack(const SLanguage<Payload>& language, const Payload& compiled, short length) {
  if (!CMidiChk::CheckFull(compiled.msg, length)) return;
  Str255 printed;
  language.print(compiled, printed, false);
  Payload again = MakePayload<Payload>(compiled.info.dataType, kStale);
  Require(language.compile(printed, again) == length, "the printed form compiles to the same length");
  Require(SameBytes(compiled, again), "the printed form compiles to the same payload");
  language.print(compiled, printed, true);
}

void CheckSysex(std::uint8_t dataType, ConstStr255Param text) {
  SPrmPatCtrlSysEx compiled;
  const short length = Compile(kSysex, dataType, text, compiled);
  if (length <= 0) return;

  CheckPlaceholders(compiled, length);
  if (compiled.csType != 0) {
    Require(compiled.csType <= 2, "the checksum kind is 1 or 2");
    Require(compiled.csStart <= compiled.csPos, "the checksum follows the bytes it covers");
    Require(compiled.csPos < length && compiled.msg[compiled.csPos] == 0,
            "the checksum byte lies inside the message");
  } else {
    Require(compiled.csStart == 0 && compiled.csPos == 0, "without a checksum its fields are 0");
  }
  Require(compiled.msg[0] == 0xF0 && compiled.msg[length - 1] == 0xF7, "a SysEx runs F0 ... F7");
  for (int i = 1; i < length - 1; ++i) Require(compiled.msg[i] != 0xF7, "the F7 ends the SysEx");
  CheckPrintsBack(kSysex, compiled, length);
}

void CheckFree(std::uint8_t dataType, ConstStr255Param text) {
  SPrmPatCtrlSysExFree compiled;
  const short length = Compile(kFree, dataType, text, compiled);
  if (length < 0) return;
  Require(compiled.msgLen == length, "the free message length is stored");
  if (length == 0) return;

  CheckPlaceholders(compiled, length);
  if (CMidiChk::CheckFull(compiled.msg, length))
    Require(compiled.msg[0] >= 0x80, "an accepted free message starts with a status byte");
  CheckPrintsBack(kFree, compiled, length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CFuzzInput input(data, size);
  const std::uint8_t selector = input.Byte();
  const std::span<const std::uint8_t> chars = input.Bytes(255);
  Str255 text;
  LString::FromStd(std::string_view(reinterpret_cast<const char*>(chars.data()), chars.size()), text);
  const auto dataType = static_cast<std::uint8_t>(selector & 0x07);
  if ((selector & 0x08) != 0) {
    CheckFree(dataType, text);
  } else {
    CheckSysex(dataType, text);
  }
  return 0;
}

#include "utilities/UMessageTemplate.h"

#include "framework/core/LString.h"
#include "framework/core/MidiBytes.h"
#include "utilities/UStringUtils.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr int kMaxBytes = UMessageTemplate::kMaxMessageBytes;
constexpr std::uint8_t kMaxDataType = 5;
constexpr std::uint8_t kChannelX = 1;
constexpr std::uint8_t kChannelN = 2;

// List-form tokens of the data bytes, by data format.
constexpr const char* kListDataTokens[kMaxDataType + 1] = {"",      "dd",    "d1 d2",
                                                           "mm ll", "ll mm", "d1 d2 d3 d4"};

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// Leading and trailing blanks dropped, ASCII letters in upper case.
std::string normaliseText(ConstStr255Param text) {
  std::string_view view = LString::View(text);
  std::size_t first = view.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::size_t last = view.find_last_not_of(' ');
  std::string result(view.substr(first, last - first + 1));
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

// Placeholder fields found by the scanner; all zero for a kind that did not occur.
struct SPlaceholders {
  bool hasData = false;
  std::uint8_t dataPos = 0;
  std::uint8_t chType = 0;
  std::uint8_t chPos = 0;
  std::uint8_t chHigh = 0;
  std::uint8_t csType = 0;
  std::uint8_t csStart = 0;
  std::uint8_t csPos = 0;
};

enum class ETemplateKind { SysEx, Free };

// Reads a normalised template text into message bytes. Both languages share the byte,
// pending-digit, "DT" and channel rules; the checksum tokens and the end at F7 are SysEx only.
class CTemplateScanner {
 public:
  CTemplateScanner(ETemplateKind kind, std::uint8_t dataSize, std::uint8_t* msg)
      : mKind(kind), mDataSize(dataSize), mMsg(msg) {}

  // The number of message bytes, or a negative result.
  short Scan(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
      if (mEnded) return UMessageTemplate::kBadStructure;
      std::string_view pair = text.substr(i, 2);
      short result = 0;
      if (pair == "DT") {
        result = OnData();
        i += 2;
      } else if (IsSysEx() && (pair == "S1" || pair == "S2")) {
        result = OnChecksum(pair[1] == '1' ? 1 : 2);
        i += 2;
      } else if (IsSysEx() && pair == "SS") {
        result = OnChecksumStart();
        i += 2;
      } else {
        result = OnCharacter(text[i]);
        i += 1;
      }
      if (result < 0) return result;
    }
    return Finish();
  }

  const SPlaceholders& Placeholders() const { return mFound; }

 private:
  bool IsSysEx() const { return mKind == ETemplateKind::SysEx; }
  bool HasPending() const { return mPending >= 0; }

  short StoreByte(std::uint8_t value) {
    if (mCount >= kMaxBytes) return UMessageTemplate::kTooLong;
    mMsg[mCount++] = value;
    return 0;
  }

  // A lone digit in front of a blank or a token stands for a byte of its own.
  short FlushPending() {
    if (!HasPending()) return 0;
    auto value = static_cast<std::uint8_t>(mPending);
    mPending = -1;
    return StoreByte(value);
  }

  short OnData() {
    // Under a format without data bytes "DT" would mark a position that no printed text
    // could give back.
    if (mFound.hasData || mDataSize == 0) return UMessageTemplate::kBadStructure;
    if (short result = FlushPending(); result < 0) return result;
    mFound.hasData = true;
    mFound.dataPos = static_cast<std::uint8_t>(mCount);
    mCount += mDataSize;  // the reserved bytes stay 0; the device fills them in
    return mCount > kMaxBytes ? UMessageTemplate::kTooLong : 0;
  }

  short OnChecksumStart() {
    if (mFound.csType != 0 || mChecksumOpen) return UMessageTemplate::kBadStructure;
    // A pending digit stays pending: it becomes the first covered byte.
    mFound.csStart = static_cast<std::uint8_t>(mCount);
    mChecksumOpen = true;
    return 0;
  }

  short OnChecksum(std::uint8_t kind) {
    if (mFound.csType != 0 || !mChecksumOpen) return UMessageTemplate::kBadStructure;
    if (short result = FlushPending(); result < 0) return result;
    if (mCount >= kMaxBytes) return UMessageTemplate::kTooLong;
    mFound.csPos = static_cast<std::uint8_t>(mCount);
    mFound.csType = kind;
    ++mCount;
    mChecksumOpen = false;
    return 0;
  }

  short OnChannel(char letter) {
    if (mFound.chType != 0 || mPending > 7) return UMessageTemplate::kBadStructure;
    mFound.chType = letter == 'X' ? kChannelX : kChannelN;
    mFound.chPos = static_cast<std::uint8_t>(mCount);
    mFound.chHigh = static_cast<std::uint8_t>(mPending);
    mPending = -1;
    if (mCount >= kMaxBytes) return UMessageTemplate::kTooLong;
    ++mCount;
    return 0;
  }

  short OnHexDigit(char c) {
    int digit = UStringUtils::HexCharToNum(c);
    if (!HasPending()) {
      mPending = digit;
      return 0;
    }
    auto value = static_cast<std::uint8_t>(mPending * 16 + digit);
    mPending = -1;
    if (short result = StoreByte(value); result < 0) return result;
    if (IsSysEx() && value == kSysexEnd) mEnded = true;
    return 0;
  }

  short OnCharacter(char c) {
    if (isHexDigit(c)) return OnHexDigit(c);
    if ((c == 'N' || c == 'X') && HasPending()) return OnChannel(c);
    if (c == ' ') return FlushPending();
    return UMessageTemplate::kBadCharacter;
  }

  short Finish() {
    if (IsSysEx()) {
      if (HasPending() || mChecksumOpen) return UMessageTemplate::kBadStructure;
    } else if (short result = FlushPending(); result < 0) {
      return result;
    }
    return static_cast<short>(mCount);
  }

  ETemplateKind mKind;
  std::uint8_t mDataSize;
  std::uint8_t* mMsg;
  int mCount = 0;
  int mPending = -1;  // the value of a lone hex digit waiting for its partner
  bool mChecksumOpen = false;
  bool mEnded = false;  // a SysEx text has reached its F7 byte
  SPlaceholders mFound;
};

std::uint8_t clampDataType(std::uint8_t dataType) { return dataType > kMaxDataType ? 0 : dataType; }

// Stores the data and channel placeholders that both payload records carry; a text without
// data bytes has no data format.
template <typename Payload>
void storeDataAndChannel(const SPlaceholders& found, Payload& out) {
  if (!found.hasData) out.info.dataType = 0;
  out.info.dataPos = found.dataPos;
  out.chType = found.chType;
  out.chPos = found.chPos;
  out.chHigh = found.chHigh;
}

// The placeholder fields of a payload, in the shape the printer walks.
struct STemplateLayout {
  const std::uint8_t* msg;
  int length;      // bytes to walk
  bool stopAtEnd;  // SysEx stops after its F7
  std::uint8_t dataType;
  std::uint8_t dataPos;
  std::uint8_t chType;
  std::uint8_t chPos;
  std::uint8_t chHigh;
  std::uint8_t csType;
  std::uint8_t csStart;
  std::uint8_t csPos;
};

void appendToken(std::string& text, std::string_view token) {
  text += token;
  text += ' ';
}

void appendByte(std::string& text, std::uint8_t value) {
  text += UStringUtils::MsbToHex(value);
  text += UStringUtils::LsbToHex(value);
  text += ' ';
}

std::string printTemplate(const STemplateLayout& layout, bool listForm) {
  std::string text;
  const bool hasData = layout.dataType >= 1 && layout.dataType <= kMaxDataType;
  for (int i = 0; i < layout.length; ++i) {
    if (layout.csType != 0 && i == layout.csStart) appendToken(text, listForm ? "CSS" : "SS");
    if (hasData && i == layout.dataPos) {
      appendToken(text, listForm ? kListDataTokens[layout.dataType] : "DT");
      i += kDataSizes[layout.dataType] - 1;
    } else if (layout.csType != 0 && i == layout.csPos) {
      const bool first = layout.csType == 1;
      appendToken(text, listForm ? (first ? "CS1" : "CS2") : (first ? "S1" : "S2"));
    } else if (layout.chType != 0 && i == layout.chPos) {
      text += UStringUtils::LsbToHex(layout.chHigh);
      appendToken(text, layout.chType == kChannelX ? "x" : "n");
    } else {
      appendByte(text, layout.msg[i]);
    }
    if (layout.stopAtEnd && i < kMaxBytes && layout.msg[i] == kSysexEnd) break;
  }
  if (!text.empty()) text.pop_back();
  return text;
}

}  // namespace

short UMessageTemplate::CompileSysxStr(ConstStr255Param text, SPrmPatCtrlSysEx& out) {
  std::memset(out.msg, 0, sizeof out.msg);
  out.info.dataType = clampDataType(out.info.dataType);

  const std::string normal = normaliseText(text);
  std::string_view view = normal;
  if (!view.starts_with("F0") || !view.ends_with("F7")) return kBadStructure;

  CTemplateScanner scanner(ETemplateKind::SysEx, kDataSizes[out.info.dataType], out.msg);
  const short count = scanner.Scan(view);
  if (count < 0) return count;

  const SPlaceholders& found = scanner.Placeholders();
  storeDataAndChannel(found, out);
  out.csType = found.csType;
  out.csStart = found.csStart;
  out.csPos = found.csPos;
  return count;
}

short UMessageTemplate::CompileMsgStr(ConstStr255Param text, SPrmPatCtrlSysExFree& out) {
  out.msgLen = 0;
  std::memset(out.msg, 0, sizeof out.msg);
  out.info.dataType = clampDataType(out.info.dataType);

  const std::string normal = normaliseText(text);
  if (normal.empty()) {
    storeDataAndChannel(SPlaceholders{}, out);  // no placeholder of an earlier text stays
    return 0;
  }
  // The first byte must be a status byte.
  if (!isHexDigit(normal[0]) || UStringUtils::HexCharToNum(normal[0]) < 8) return kBadStructure;

  CTemplateScanner scanner(ETemplateKind::Free, kDataSizes[out.info.dataType], out.msg);
  const short count = scanner.Scan(normal);
  if (count < 0) return count;

  storeDataAndChannel(scanner.Placeholders(), out);
  if (count > 0) out.msgLen = static_cast<std::uint8_t>(count);
  return count;
}

void UMessageTemplate::MakeSysxStr(const SPrmPatCtrlSysEx& payload, Str255 out, bool listForm) {
  const STemplateLayout layout{
      payload.msg,          kMaxBytes,       true,          payload.info.dataType,
      payload.info.dataPos, payload.chType,  payload.chPos, payload.chHigh,
      payload.csType,       payload.csStart, payload.csPos};
  LString::FromStd(printTemplate(layout, listForm), out);
}

void UMessageTemplate::MakeMsgStr(const SPrmPatCtrlSysExFree& payload, Str255 out, bool listForm) {
  const STemplateLayout layout{payload.msg,
                               std::min<int>(payload.msgLen, kMaxBytes),
                               false,
                               payload.info.dataType,
                               payload.info.dataPos,
                               payload.chType,
                               payload.chPos,
                               payload.chHigh,
                               0,
                               0,
                               0};
  LString::FromStd(printTemplate(layout, listForm), out);
}

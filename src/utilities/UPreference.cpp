#include "utilities/UPreference.h"

#include "framework/core/LException.h"
#include "framework/core/LFile.h"
#include "framework/core/LString.h"
#include "utilities/UFileUtils.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

std::vector<std::uint8_t> UPreference::sData;
std::int32_t UPreference::sCurrPos = 0;
std::int32_t UPreference::sTagPos = 0;
std::int32_t UPreference::sParamPos = 0;
Str255 UPreference::sWorkString = {0};

namespace {

constexpr std::uint8_t kCR = 0x0D;
constexpr std::uint8_t kLF = 0x0A;
constexpr std::int32_t kMaxDataSize = std::numeric_limits<std::int32_t>::max();
constexpr std::uint16_t kLastIndex = std::numeric_limits<std::uint16_t>::max();
// Written for An FSSpec without a parent folder (an empty recent-file slot).
constexpr std::string_view kNoFolder = "0";

bool isBlank(std::uint8_t byte) { return byte == ' ' || byte == '\t'; }
bool isLineEnd(std::uint8_t byte) { return byte == kCR || byte == kLF; }
bool isControl(char c) { return static_cast<std::uint8_t>(c) < 0x20 || c == 0x7F; }

bool hasControl(std::string_view text) { return std::ranges::any_of(text, isControl); }

// Whole decimal numbers only, with an optional sign; anything else is not a number.
std::optional<std::int32_t> parseNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string formatNumber(std::int32_t value) {
  std::array<char, 16> digits{};
  auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  (void)error;  // 16 characters always hold a 32-bit number
  return std::string(digits.data(), end);
}

// Characters a value cannot carry: the separator, the line end and the escape itself, and the
// brackets, which SeekTag would take for a section's tag wherever they stand. Blanks are
// escaped only at either end, where the reader would drop them.
bool mustEscape(char c) {
  return c == ',' || c == '\r' || c == '\n' || c == '%' || c == '[' || c == ']';
}

void appendEscaped(std::string& out, char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto byte = static_cast<unsigned char>(c);
  out += '%';
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

std::string encodeSpecPart(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && isBlank(static_cast<std::uint8_t>(text[first]))) ++first;
  while (last > first && isBlank(static_cast<std::uint8_t>(text[last - 1]))) --last;
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool edgeBlank = i < first || i >= last;
    if (edgeBlank || mustEscape(text[i])) {
      appendEscaped(out, text[i]);
    } else {
      out += text[i];
    }
  }
  return out;
}

// The character behind "%" and two hex digits, for the escapes encodeSpecPart writes.
std::optional<char> unescaped(char high, char low) {
  static constexpr std::array<std::pair<std::string_view, char>, 8> kEscapes{
      {{"2C", ','}, {"0D", '\r'}, {"0A", '\n'}, {"25", '%'}, {"20", ' '}, {"09", '\t'},
       {"5B", '['}, {"5D", ']'}}};
  if (low >= 'a' && low <= 'f') low = static_cast<char>(low - 'a' + 'A');
  for (const auto& [hex, character] : kEscapes) {
    if (hex[0] == high && hex[1] == low) return character;
  }
  return std::nullopt;
}

// Any other "%" is kept as it stands.
std::string decodeSpecPart(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::optional<char> escaped;
    if (text[i] == '%' && text.size() - i >= 3) escaped = unescaped(text[i + 1], text[i + 2]);
    if (escaped) {
      out += *escaped;
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<FSSpec> preferenceFileSpec(ConstStr255Param name) {
  const std::string_view fileName = LString::View(name);
  if (fileName.empty() || fileName == "." || fileName == ".." ||
      fileName.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) {
    return std::nullopt;
  }
  auto folder = UFileUtils::FindPreferencesFolder();
  if (!folder) return std::nullopt;
  return FSSpec::FromPath(*folder / std::string(fileName));
}

// Makes `folder` and any missing folder above it, readable by the owner only, as a fresh
// account's configuration folder should be; an existing folder is left as it is. False (with
// errno) when a folder cannot be made.
bool makePrivateFolder(const std::filesystem::path& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  if (errno != ENOENT) return false;
  const std::filesystem::path parent = folder.parent_path();
  if (parent != folder && !makePrivateFolder(parent)) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// A created param must be found again by SeekParam, which skips leading blanks, stops at "[",
// ends the name at the first "=" and drops its trailing spaces.
// Control characters (line ends among them) are refused outright.
bool isFindableParamName(std::string_view name) {
  if (name.find('=') != std::string_view::npos || hasControl(name)) return false;
  if (name.empty()) return true;
  const auto first = static_cast<std::uint8_t>(name.front());
  return !isBlank(first) && first != '[' && name.back() != ' ';
}

// SeekTag reads a tag's name up to the first "]" on its line.
bool isFindableTagName(std::string_view name) {
  return name.find(']') == std::string_view::npos && !hasControl(name);
}

}  // namespace

// ---------------------------------------------------------------- file

OSStatus UPreference::LoadFile(ConstStr255Param name) {
  auto fileSpec = preferenceFileSpec(name);
  if (!fileSpec) return fnfErr;
  return LoadFile(*fileSpec);
}

OSStatus UPreference::LoadFile(const FSSpec& file) {
  try {
    std::vector<std::uint8_t> bytes = LFile(file).ReadDataFork();
    if (bytes.size() > static_cast<std::size_t>(kMaxDataSize)) return ioErr;
    sData = std::move(bytes);
    sCurrPos = sTagPos = sParamPos = 0;
    return noErr;
  } catch (const LException& error) {
    return error.GetErrorCode();
  } catch (...) {
    return -1;
  }
}

OSStatus UPreference::SaveFile(ConstStr255Param name, OSType creator, ResIDT iconID,
                               OSType fileType) {
  auto folder = UFileUtils::FindPreferencesFolder();
  if (!folder) return fnfErr;
  if (!makePrivateFolder(*folder)) return errno == ENOENT || errno == ENOTDIR ? fnfErr : ioErr;
  auto fileSpec = preferenceFileSpec(name);
  if (!fileSpec) return fnfErr;
  return SaveFile(*fileSpec, creator, iconID, fileType);
}

OSStatus UPreference::SaveFile(const FSSpec& file, OSType creator, ResIDT iconID, OSType fileType) {
  try {
    LFile(file).WriteDataFork(sData.data(), sData.size());
    if (iconID > 0) UFileUtils::SetCustomIcon(file, creator, fileType, iconID);
    return noErr;
  } catch (const LException& error) {
    return error.GetErrorCode();
  } catch (...) {
    return -1;
  }
}

void UPreference::CleanUp() {
  std::vector<std::uint8_t>().swap(sData);
  sCurrPos = sTagPos = sParamPos = 0;
  sWorkString[0] = 0;
}

// ---------------------------------------------------------------- seeking

bool UPreference::SeekTag(ConstStr255Param tag, bool create) {
  if (tag == nullptr) return false;
  const std::string_view name = LString::View(tag);
  // A tag counts only where a line begins (after blanks), so that a "[" inside a value or a
  // name can never pass for a section.
  for (sCurrPos = 0; sCurrPos < DataSize(); SkipToNextLine()) {
    SkipWhiteSpace();
    if (IsTagAt(sCurrPos, name)) {
      sCurrPos += static_cast<std::int32_t>(name.size()) + 2;
      SkipToNextLine();
      sTagPos = sCurrPos;
      return true;
    }
  }
  if (!create || !isFindableTagName(name)) return false;

  // A tag appended to a last line without its line end would share that line, and the
  // section above would run on into the new one.
  std::string text = EndsWithLineEnd() ? "" : "\r\n";
  text += '[';
  text += name;
  text += "]\r\n";
  const auto sectionStart = static_cast<std::int32_t>(text.size());
  text += "\r\n";
  const std::int32_t at = DataSize();
  if (!Insert(at, text.data(), static_cast<std::int32_t>(text.size()))) return false;
  sCurrPos = sTagPos = at + sectionStart;
  return true;
}

bool UPreference::SeekParam(ConstStr255Param name, bool create) {
  if (name == nullptr) return false;
  const std::string_view sought = LString::View(name);
  sTagPos = std::min(sTagPos, DataSize());
  sCurrPos = sTagPos;
  for (;;) {
    SkipWhiteSpace();
    if (sCurrPos >= DataSize() || sData[static_cast<std::size_t>(sCurrPos)] == '[') break;
    if (ReadTo('=') && LString::View(sWorkString) == sought) {
      sParamPos = sCurrPos;
      return true;
    }
    SkipToNextLine();
  }
  if (!create || !isFindableParamName(sought)) return false;

  // A tag line that ends the data without a line end (or a file whose lines end in LF
  // alone) has no next line yet: start one, or the new param would join the tag's line and
  // never be found there again.
  const bool needsLineEnd = sTagPos == DataSize() && !EndsWithLineEnd();
  std::string line = needsLineEnd ? "\r\n" : "";
  const auto sectionStart = static_cast<std::int32_t>(line.size());
  line += sought;
  const auto afterEquals = static_cast<std::int32_t>(line.size()) + 2;
  line += " = \r\n";
  if (!Insert(sTagPos, line.data(), static_cast<std::int32_t>(line.size()))) return false;
  sCurrPos = sParamPos = sTagPos + afterEquals;
  sTagPos += sectionStart;
  return true;
}

bool UPreference::SeekValue(std::uint16_t index, bool create) {
  sParamPos = std::min(sParamPos, DataSize());
  sCurrPos = sParamPos;
  for (std::uint32_t skipped = 0; skipped < index; ++skipped) {
    if (SkipTo(',')) continue;
    if (!create || !Insert(sCurrPos, ", ", 2)) return false;
    sCurrPos += 2;
  }
  return true;
}

// ---------------------------------------------------------------- getters

bool UPreference::ReadNumber(std::int32_t& value, bool& followedByComma) {
  SkipWhiteSpace();
  followedByComma = ReadTo(',');
  auto number = parseNumber(LString::View(sWorkString));
  if (number) value = *number;
  return number.has_value();
}

bool UPreference::ReadCoordinate(std::int16_t& coordinate) {
  std::int32_t value = 0;
  bool followedByComma = false;
  if (ReadNumber(value, followedByComma) && value >= std::numeric_limits<std::int16_t>::min() &&
      value <= std::numeric_limits<std::int16_t>::max()) {
    coordinate = static_cast<std::int16_t>(value);
  }
  return followedByComma;
}

// A value of any length (folder paths may well exceed 255 characters).
std::string UPreference::ReadLongValue(bool& followedByComma) {
  SkipWhiteSpace();
  const TextRange range = ScanTo(',');
  followedByComma = range.found;
  return std::string(sData.begin() + range.begin, sData.begin() + range.end);
}

std::int32_t UPreference::GetValue(std::int32_t defaultValue, std::uint16_t index) {
  if (!SeekValue(index, false)) return defaultValue;
  std::int32_t value = defaultValue;
  bool followedByComma = false;
  ReadNumber(value, followedByComma);
  return value;
}

ConstStr255Param UPreference::GetString(ConstStr255Param defaultValue, std::uint16_t index) {
  if (SeekValue(index, false)) {
    SkipWhiteSpace();
    ReadTo(',');
  } else {
    LString::CopyPStr(defaultValue, sWorkString);
  }
  return sWorkString;
}

std::uint8_t UPreference::GetPString(StringPtr out, ConstStr255Param defaultValue,
                                     std::uint8_t maxLength, std::uint16_t index) {
  if (out == nullptr) return 0;
  ConstStr255Param value = GetString(defaultValue, index);
  LString::CopyPStr(value, out, std::size_t{maxLength} + 1);
  return out[0];
}

void UPreference::GetPoint(Point& out, const Point* defaultValue, std::uint16_t index) {
  Point point = defaultValue ? *defaultValue : Point{};
  if (SeekValue(index, false) && ReadCoordinate(point.v)) ReadCoordinate(point.h);
  out = point;
}

void UPreference::GetRect(Rect& out, const Rect* defaultValue, std::uint16_t index) {
  Rect rect = defaultValue ? *defaultValue : Rect{};
  if (SeekValue(index, false) && ReadCoordinate(rect.top) && ReadCoordinate(rect.left) &&
      ReadCoordinate(rect.bottom)) {
    ReadCoordinate(rect.right);
  }
  out = rect;
}

void UPreference::GetFSSpec(FSSpec& out, const FSSpec* defaultValue, std::uint16_t index) {
  FSSpec fileSpec = defaultValue ? *defaultValue : FSSpec{};
  // The volume counts only when a comma follows it, the folder and name only when one
  // follows the folder.
  if (SeekValue(index, false)) {
    std::int32_t volume = 0;
    bool followedByComma = false;
    const bool isNumber = ReadNumber(volume, followedByComma);
    if (followedByComma) {
      if (isNumber && volume >= std::numeric_limits<std::int16_t>::min() &&
          volume <= std::numeric_limits<std::int16_t>::max()) {
        fileSpec.vRefNum = static_cast<std::int16_t>(volume);
      }
      std::string folder = ReadLongValue(followedByComma);
      if (followedByComma) {
        bool ignored = false;
        std::string name = ReadLongValue(ignored);
        fileSpec.parID = folder == kNoFolder ? std::string() : decodeSpecPart(folder);
        fileSpec.name = decodeSpecPart(name);
      }
    }
  }
  out = std::move(fileSpec);
}

// ---------------------------------------------------------------- setters

bool UPreference::ReplaceValue(const void* bytes, std::int32_t length, std::uint16_t index) {
  if (length < 0 || (length > 0 && bytes == nullptr)) return false;
  // A line end inside a value would start a new line of its own.
  const std::string_view text(static_cast<const char*>(bytes), static_cast<std::size_t>(length));
  if (text.find_first_of("\r\n") != std::string_view::npos) return false;
  if (!SeekValue(index, true)) return false;
  SkipWhiteSpace();
  const std::int32_t start = sCurrPos;
  std::int32_t end = start;
  while (end < DataSize() && sData[static_cast<std::size_t>(end)] != ',' &&
         !isLineEnd(sData[static_cast<std::size_t>(end)])) {
    ++end;
  }
  const std::int64_t newSize = std::int64_t{DataSize()} - (end - start) + length;
  if (newSize > kMaxDataSize) return false;
  // Room first, so that running out of memory cannot leave the old value deleted.
  try {
    sData.reserve(static_cast<std::size_t>(newSize));
  } catch (...) {
    return false;
  }
  if (end > start) Delete(start, end - 1);
  return length == 0 || Insert(start, bytes, length);
}

bool UPreference::SetData(const void* bytes, std::int32_t length, std::uint16_t index) {
  return ReplaceValue(bytes, length, index) && length > 0;
}

bool UPreference::SetValue(std::int32_t value, std::uint16_t index) {
  const std::string text = formatNumber(value);
  return SetData(text.data(), static_cast<std::int32_t>(text.size()), index);
}

bool UPreference::SetString(ConstStr255Param value, std::uint16_t index) {
  if (value == nullptr) return SetData(nullptr, 0, index);
  return SetData(value + 1, value[0], index);
}

bool UPreference::SetPoint(const Point& value, std::uint16_t index) {
  if (index > kLastIndex - 1) return false;
  return SetValue(value.v, index) && SetValue(value.h, index + 1);
}

bool UPreference::SetRect(const Rect& value, std::uint16_t index) {
  if (index > kLastIndex - 3) return false;
  return SetValue(value.top, index) && SetValue(value.left, index + 1) &&
         SetValue(value.bottom, index + 2) && SetValue(value.right, index + 3);
}

bool UPreference::SetFSSpec(const FSSpec& value, std::uint16_t index) {
  if (index > kLastIndex - 2) return false;
  const std::string folder =
      value.parID.empty() ? std::string(kNoFolder) : encodeSpecPart(value.parID);
  const std::string name = encodeSpecPart(value.name);
  if (folder.size() > static_cast<std::size_t>(kMaxDataSize) ||
      name.size() > static_cast<std::size_t>(kMaxDataSize)) {
    return false;
  }
  // An empty name is a stored (empty) value, not a failure.
  return SetValue(value.vRefNum, index) &&
         SetData(folder.data(), static_cast<std::int32_t>(folder.size()), index + 1) &&
         ReplaceValue(name.data(), static_cast<std::int32_t>(name.size()), index + 2);
}

// ---------------------------------------------------------------- by param name

std::int32_t UPreference::GetParamValue(ConstStr255Param name, std::int32_t defaultValue,
                                        std::uint16_t index) {
  return SeekParam(name, false) ? GetValue(defaultValue, index) : defaultValue;
}

ConstStr255Param UPreference::GetParamString(ConstStr255Param name, ConstStr255Param defaultValue,
                                             std::uint16_t index) {
  if (SeekParam(name, false)) return GetString(defaultValue, index);
  LString::CopyPStr(defaultValue, sWorkString);
  return sWorkString;
}

std::uint8_t UPreference::GetParamPString(ConstStr255Param name, StringPtr out,
                                          ConstStr255Param defaultValue, std::uint8_t maxLength,
                                          std::uint16_t index) {
  if (SeekParam(name, false)) return GetPString(out, defaultValue, maxLength, index);
  if (out == nullptr) return 0;
  LString::CopyPStr(defaultValue, out, std::size_t{maxLength} + 1);
  return out[0];
}

void UPreference::GetParamPoint(ConstStr255Param name, Point& out, const Point* defaultValue,
                                std::uint16_t index) {
  if (SeekParam(name, false)) return GetPoint(out, defaultValue, index);
  out = defaultValue ? *defaultValue : Point{};
}

void UPreference::GetParamRect(ConstStr255Param name, Rect& out, const Rect* defaultValue,
                               std::uint16_t index) {
  if (SeekParam(name, false)) return GetRect(out, defaultValue, index);
  out = defaultValue ? *defaultValue : Rect{};
}

void UPreference::GetParamFSSpec(ConstStr255Param name, FSSpec& out, const FSSpec* defaultValue,
                                 std::uint16_t index) {
  if (SeekParam(name, false)) return GetFSSpec(out, defaultValue, index);
  out = defaultValue ? *defaultValue : FSSpec{};
}

bool UPreference::SetParamValue(ConstStr255Param name, std::int32_t value, std::uint16_t index) {
  return SeekParam(name, true) && SetValue(value, index);
}

bool UPreference::SetParamString(ConstStr255Param name, ConstStr255Param value,
                                 std::uint16_t index) {
  return SeekParam(name, true) && SetString(value, index);
}

bool UPreference::SetParamData(ConstStr255Param name, const void* bytes, std::int32_t length,
                               std::uint16_t index) {
  return SeekParam(name, true) && SetData(bytes, length, index);
}

bool UPreference::SetParamPoint(ConstStr255Param name, const Point& value, std::uint16_t index) {
  return SeekParam(name, true) && SetPoint(value, index);
}

bool UPreference::SetParamRect(ConstStr255Param name, const Rect& value, std::uint16_t index) {
  return SeekParam(name, true) && SetRect(value, index);
}

bool UPreference::SetParamFSSpec(ConstStr255Param name, const FSSpec& value, std::uint16_t index) {
  return SeekParam(name, true) && SetFSSpec(value, index);
}

// ---------------------------------------------------------------- editing

bool UPreference::Insert(std::int32_t offset, const void* bytes, std::int32_t length) {
  if (offset < 0 || bytes == nullptr || length <= 0) return false;
  if (length > kMaxDataSize - DataSize()) return false;
  offset = std::min(offset, DataSize());
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  try {
    sData.insert(sData.begin() + offset, first, first + length);
  } catch (...) {
    return false;  // the vector is left as it was
  }
  return true;
}

void UPreference::Delete(std::int32_t from, std::int32_t to) {
  if (from > to) std::swap(from, to);
  if (from < 0 || from >= DataSize()) return;
  to = std::min(to, DataSize() - 1);
  sData.erase(sData.begin() + from, sData.begin() + to + 1);
  KeepPositionsInData();
}

void UPreference::KeepPositionsInData() {
  sCurrPos = std::min(sCurrPos, DataSize());
  sTagPos = std::min(sTagPos, DataSize());
  sParamPos = std::min(sParamPos, DataSize());
}

bool UPreference::EndsWithLineEnd() {
  const std::int32_t size = DataSize();
  if (size == 0) return true;
  return isLineEnd(sData[static_cast<std::size_t>(size - 1)]);
}

// ---------------------------------------------------------------- scanning

bool UPreference::IsTagAt(std::int32_t offset, std::string_view name) {
  const auto at = static_cast<std::size_t>(offset);
  const auto size = static_cast<std::size_t>(DataSize());
  return at < size && sData[at] == '[' && size - at > name.size() + 1 &&
         sData[at + 1 + name.size()] == ']' &&
         // Bytes compared as bytes: a name's char is signed, and 0xFF must still match 0xFF.
         std::equal(name.begin(), name.end(), sData.begin() + static_cast<std::ptrdiff_t>(at + 1),
                    [](char wanted, std::uint8_t held) {
                      return static_cast<std::uint8_t>(wanted) == held;
                    });
}

void UPreference::SetCurrPos(std::int32_t offset) {
  sCurrPos = std::clamp(offset, std::int32_t{0}, DataSize());
}

bool UPreference::AtLineEnd() {
  return sCurrPos >= DataSize() || isLineEnd(sData[static_cast<std::size_t>(sCurrPos)]);
}

void UPreference::SkipWhiteSpace() {
  while (sCurrPos < DataSize() && isBlank(sData[static_cast<std::size_t>(sCurrPos)])) {
    ++sCurrPos;
  }
}

void UPreference::SkipToNextLine() {
  while (!AtLineEnd()) ++sCurrPos;
  if (sCurrPos >= DataSize()) return;
  // CR, LF and CR LF each end one line.
  if (sData[static_cast<std::size_t>(sCurrPos++)] == kLF) return;
  if (sCurrPos < DataSize() && sData[static_cast<std::size_t>(sCurrPos)] == kLF) ++sCurrPos;
}

bool UPreference::SkipTo(char c) {
  const auto wanted = static_cast<std::uint8_t>(c);
  while (!AtLineEnd()) {
    if (sData[static_cast<std::size_t>(sCurrPos++)] == wanted) return true;
  }
  return false;
}

bool UPreference::FindTo(char c) {
  const auto wanted = static_cast<std::uint8_t>(c);
  while (sCurrPos < DataSize()) {
    if (sData[static_cast<std::size_t>(sCurrPos++)] == wanted) return true;
  }
  return false;
}

UPreference::TextRange UPreference::ScanTo(char c) {
  const auto wanted = static_cast<std::uint8_t>(c);
  TextRange range;
  range.begin = sCurrPos;
  while (!AtLineEnd() && sData[static_cast<std::size_t>(sCurrPos)] != wanted) ++sCurrPos;
  range.end = sCurrPos;
  if (sCurrPos < DataSize() && sData[static_cast<std::size_t>(sCurrPos)] == wanted) {
    range.found = true;
    ++sCurrPos;
  }
  while (range.end > range.begin && sData[static_cast<std::size_t>(range.end - 1)] == ' ') {
    --range.end;
  }
  return range;
}

bool UPreference::ReadTo(char c) {
  const TextRange range = ScanTo(c);
  // The first 255 characters are kept; trailing spaces go after the cut, as the reader would
  // see them in the 255 characters it holds.
  std::int32_t end = std::min(range.end, range.begin + 255);
  while (end > range.begin && sData[static_cast<std::size_t>(end - 1)] == ' ') --end;
  const auto count = static_cast<std::size_t>(end - range.begin);
  if (count > 0) std::memcpy(sWorkString + 1, sData.data() + range.begin, count);
  sWorkString[0] = static_cast<std::uint8_t>(count);
  return range.found;
}

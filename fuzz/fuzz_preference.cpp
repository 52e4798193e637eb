// The preference file: a text read as at start-up, values written into it as at quit, then
// read back. Input: a two-byte length and the file's text, then writes, each:
//   a byte: bits 0-1 the kind (number, file location, point, rect), bits 2-3 the tag
//     (a new name, "General Settings", "MIDI Service Settings", the last one), bits 4-5 the
//     param (a new name, "Recent File 1", "Source 0", the last one);
//   a byte: the value index (0..7);
//   the new names (a length byte and the characters), then the value: a number (4 bytes), a
//   file location (volume 2 bytes, folder and name as texts), a point (2 x 2 bytes) or a
//   rect (4 x 2 bytes).
//
// Properties: a created tag and param are found again; every value written reads back unless a
// later write covered it; no other value of the tags and params named changes (a missing
// value in front of a written one may become empty); a refused param leaves the text as it was.
#include "FuzzSupport.h"

#include "framework/core/LString.h"
#include "utilities/UPreference.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

enum EKind { kNumber, kFileSpec, kPoint, kRect };
constexpr std::uint16_t kWidth[] = {1, 3, 2, 4};  // values each kind takes
constexpr std::uint16_t kProbedValues = 12;       // above the highest index a write reaches

struct SWrite {
  std::string tag;
  std::string param;
  EKind kind;
  std::uint16_t index;
  std::int32_t number = 0;
  FSSpec fileSpec;
  Point point{};
  Rect rect{};

  bool Covers(std::uint16_t value) const { return value >= index && value < index + kWidth[kind]; }
  bool Overlaps(const SWrite& later) const {
    return later.tag == tag && later.param == param && later.index < index + kWidth[kind] &&
           index < later.index + kWidth[later.kind];
  }
};

class StPStr {
 public:
  explicit StPStr(const std::string& text) { LString::FromStd(text, mText); }
  operator ConstStr255Param() const { return mText; }

 private:
  Str255 mText;
};

std::string Name(CFuzzInput& input, std::uint8_t choice, const char* first, const char* second,
                 const std::string& last) {
  switch (choice) {
    case 0: return input.Text();
    case 1: return first;
    case 2: return second;
    default: return last;
  }
}

std::vector<SWrite> ReadWrites(CFuzzInput& input) {
  std::vector<SWrite> writes;
  std::string tag = "General Settings";
  std::string param = "Recent File 1";
  while (!input.Empty()) {
    const std::uint8_t head = input.Byte();
    SWrite write;
    write.kind = static_cast<EKind>(head & 0x03);
    write.index = input.Byte() % 8;
    tag = write.tag = Name(input, (head >> 2) & 0x03, "General Settings", "MIDI Service Settings", tag);
    param = write.param = Name(input, (head >> 4) & 0x03, "Recent File 1", "Source 0", param);
    switch (write.kind) {
      case kNumber:
        write.number = input.Int32();
        break;
      case kFileSpec:
        write.fileSpec.vRefNum = input.Int16();
        write.fileSpec.parID = input.Text();
        // A parent folder is an absolute path, or none.
        if (!write.fileSpec.parID.empty() && write.fileSpec.parID.front() != '/')
          write.fileSpec.parID.insert(0, 1, '/');
        write.fileSpec.name = input.Text();
        break;
      case kPoint:
        write.point = {input.Int16(), input.Int16()};
        break;
      case kRect:
        write.rect = {input.Int16(), input.Int16(), input.Int16(), input.Int16()};
        break;
    }
    writes.push_back(std::move(write));
  }
  return writes;
}

using ValueKey = std::tuple<std::string, std::string, std::uint16_t>;
using Values = std::map<ValueKey, std::optional<std::string>>;

// Every value of every tag and param named by the writes, as the reader sees it.
Values ReadValues(const std::vector<SWrite>& writes) {
  std::vector<std::string> tags, params;
  for (const SWrite& write : writes) {
    tags.push_back(write.tag);
    params.push_back(write.param);
  }
  for (auto* names : {&tags, &params}) {
    std::sort(names->begin(), names->end());
    names->erase(std::unique(names->begin(), names->end()), names->end());
  }
  Values values;
  for (const std::string& tag : tags) {
    for (const std::string& param : params) {
      const bool found = UPreference::SeekTag(StPStr(tag), false) &&
                         UPreference::SeekParam(StPStr(param), false);
      for (std::uint16_t index = 0; index < kProbedValues; ++index) {
        std::optional<std::string> value;
        if (found && UPreference::SeekValue(index, false))
          value = LString::ToStd(UPreference::GetString(nullptr, index));
        values[{tag, param, index}] = value;
      }
    }
  }
  return values;
}

bool Store(const SWrite& write) {
  if (!UPreference::SeekTag(StPStr(write.tag), true)) return false;
  const std::vector<std::uint8_t> before(UPreference::GetBytes().begin(), UPreference::GetBytes().end());
  if (!UPreference::SeekParam(StPStr(write.param), true)) {
    Require(std::equal(before.begin(), before.end(), UPreference::GetBytes().begin(),
                       UPreference::GetBytes().end()),
            "a refused param leaves the text as it was");
    return false;
  }
  bool stored = false;
  switch (write.kind) {
    case kNumber: stored = UPreference::SetValue(write.number, write.index); break;
    case kFileSpec: stored = UPreference::SetFSSpec(write.fileSpec, write.index); break;
    case kPoint: stored = UPreference::SetPoint(write.point, write.index); break;
    case kRect: stored = UPreference::SetRect(write.rect, write.index); break;
  }
  Require(stored, "a setter stores its value");
  return true;
}

void CheckReadsBack(const SWrite& write) {
  Require(UPreference::SeekTag(StPStr(write.tag), false), "a created tag is found again");
  Require(UPreference::SeekParam(StPStr(write.param), false), "a created param is found again");
  switch (write.kind) {
    case kNumber:
      Require(UPreference::GetValue(~write.number, write.index) == write.number,
              "a written number reads back");
      break;
    case kFileSpec: {
      FSSpec read;
      const FSSpec other{1, "/x", "y"};
      UPreference::GetFSSpec(read, &other, write.index);
      Require(read.vRefNum == write.fileSpec.vRefNum && read.parID == write.fileSpec.parID &&
                  read.name == write.fileSpec.name,
              "a written file location reads back");
      break;
    }
    case kPoint: {
      Point read{};
      const Point other{static_cast<std::int16_t>(~write.point.v), 0};
      UPreference::GetPoint(read, &other, write.index);
      Require(read == write.point, "a written point reads back");
      break;
    }
    case kRect: {
      Rect read{};
      const Rect other{static_cast<std::int16_t>(~write.rect.top), 0, 0, 0};
      UPreference::GetRect(read, &other, write.index);
      Require(read == write.rect, "a written rect reads back");
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CFuzzInput input(data, size);
  const auto textLength = static_cast<std::uint16_t>(input.Int16());
  const std::span<const std::uint8_t> text = input.Bytes(textLength);
  std::vector<SWrite> writes = ReadWrites(input);

  UPreference::CleanUp();
  UPreference::Insert(0, text.data(), static_cast<std::int32_t>(text.size()));
  const Values before = ReadValues(writes);

  std::vector<SWrite> stored;
  for (const SWrite& write : writes)
    if (Store(write)) stored.push_back(write);

  for (std::size_t i = 0; i < stored.size(); ++i) {
    const bool covered = std::any_of(stored.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                     stored.end(),
                                     [&](const SWrite& later) { return stored[i].Overlaps(later); });
    if (!covered) CheckReadsBack(stored[i]);
  }

  const Values after = ReadValues(writes);
  for (const auto& [key, value] : before) {
    const auto& [tag, param, index] = key;
    bool written = false;
    bool writtenBehind = false;
    for (const SWrite& write : stored) {
      if (write.tag != tag || write.param != param) continue;
      written = written || write.Covers(index);
      writtenBehind = writtenBehind || write.index > index;
    }
    if (written) continue;
    const std::optional<std::string>& now = after.at(key);
    const bool filledIn = !value && writtenBehind && now == std::string();
    Require(now == value || filledIn, "no other value changes");
  }
  UPreference::CleanUp();
  return 0;
}

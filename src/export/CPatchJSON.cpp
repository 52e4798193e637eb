#include "export/CPatchJSON.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <set>
#include <vector>

#include "document/CPatch.h"
#include "framework/core/LString.h"
#include "framework/core/UMacRoman.h"

using json = nlohmann::ordered_json;

namespace {

constexpr long kMaxNameLength = static_cast<long>(kPatchNameSize) - 1;

// "comment" is allowed everywhere for notes of the author; it is checked to be text and
// otherwise ignored (a patch has no place for it).
const char* const kControllerFields[] = {"index",   "descriptor", "name",    "msgType", "isEncoder",
                                         "options", "outputPort", "channel", "data",    "comment"};
const char* const kTopFields[] = {"format",     "version",     "title",
                                  "copyrights", "controllers", "comment"};

// Everything a document holds, gathered before the patch is touched.
struct SPatchContent {
  std::string title;  // Mac Roman
  std::vector<CPatch::CopyrightNotice> copyrights;
  std::array<SPatchParam, kControllerCount> params{};
};

// Thrown inside the reader; FromJSON turns it into the result.
struct SInvalid {
  std::string path;
  std::string reason;
};

// Keys and parser messages go into error messages cut to a readable length.
std::string Shorten(std::string text, std::size_t limit = 40) {
  if (text.size() > limit) text = text.substr(0, limit - 3) + "...";
  return text;
}

std::string Join(const std::string& path, const std::string& key) {
  return path.empty() ? Shorten(key) : path + "." + Shorten(key);
}

std::string Item(const std::string& path, std::size_t index) {
  return path + "[" + std::to_string(index) + "]";
}

std::string Describe(const json& value) {
  if (value.is_object()) return "an object";
  if (value.is_array()) return "an array";
  if (value.is_null()) return "null";
  std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
  if (text.size() > 40) text = text.substr(0, 37) + "...";
  return text;
}

std::string Descriptor(long index) { return LString::ToStd(kControllerInfo[index].descriptor); }

// Notices made of printing characters, tabs and line breaks are written as strings, any other
// as an array of byte values, so that binary notices stay readable and exact.
bool IsPlainText(const CPatch::CopyrightNotice& notice) {
  for (std::uint8_t byte : notice) {
    const bool control = byte < 0x20 || byte == 0x7F;
    if (control && byte != '\t' && byte != '\n' && byte != '\r') return false;
  }
  return true;
}

class CDocumentReader {
 public:
  SPatchContent Read(const json& document) {
    RequireObject(document, "", kTopFields);
    ReadFormat(document);
    if (document.contains("title")) {
      mContent.title = ReadText(document["title"], "title", kMaxTitleLength);
    }
    if (document.contains("copyrights")) ReadCopyrights(document["copyrights"]);
    if (document.contains("controllers")) ReadControllers(document["controllers"]);
    return mContent;
  }

 private:
  template <std::size_t N>
  void RequireObject(const json& value, const std::string& path, const char* const (&fields)[N]) {
    if (!value.is_object()) Fail(path, "expected an object, found " + Describe(value));
    for (const auto& item : value.items()) {
      bool known = false;
      for (const char* field : fields) known = known || item.key() == field;
      if (!known) Fail(path, "unknown field \"" + Shorten(item.key()) + "\"");
    }
    if (value.contains("comment") && !value["comment"].is_string())
      Fail(Join(path, "comment"), "expected a string, found " + Describe(value["comment"]));
  }

  void ReadFormat(const json& document) {
    if (!document.contains("format")) Fail("format", "missing; expected \"kvx-patch\"");
    const json& format = document["format"];
    if (!format.is_string() || format.get<std::string>() != CPatchJSON::kFormatTag)
      Fail("format", "expected \"kvx-patch\", found " + Describe(format));
    if (!document.contains("version")) Fail("version", "missing; expected 1");
    const json& version = document["version"];
    if (!version.is_number_integer()) Fail("version", "expected 1, found " + Describe(version));
    if (version.get<long long>() != CPatchJSON::kFormatVersion)
      Fail("version", Describe(version) + " is not supported; this program reads version 1");
  }

  void ReadCopyrights(const json& value) {
    if (!value.is_array()) Fail("copyrights", "expected an array, found " + Describe(value));
    for (std::size_t i = 0; i < value.size(); ++i) {
      const std::string path = Item("copyrights", i);
      const json& notice = value[i];
      CPatch::CopyrightNotice bytes;
      if (notice.is_string()) {
        const std::string text = ToMacRoman(notice, path);
        bytes.assign(text.begin(), text.end());
      } else if (notice.is_array()) {
        for (std::size_t k = 0; k < notice.size(); ++k)
          bytes.push_back(ReadByte(notice[k], Item(path, k)));
      } else {
        Fail(path, "expected a string or an array of bytes, found " + Describe(notice));
      }
      if (bytes.size() > CPatchJSON::kMaxCopyrightSize)
        Fail(path, std::to_string(bytes.size()) + " bytes, at most 256");
      mContent.copyrights.push_back(std::move(bytes));
    }
  }

  void ReadControllers(const json& value) {
    if (!value.is_array()) Fail("controllers", "expected an array, found " + Describe(value));
    if (value.size() > static_cast<std::size_t>(kControllerCount))
      Fail("controllers", std::to_string(value.size()) + " controllers, at most 50");
    std::array<std::optional<std::size_t>, kControllerCount> givenAt{};
    for (std::size_t i = 0; i < value.size(); ++i) {
      const std::string path = Item("controllers", i);
      const long index = ReadController(value[i], path);
      if (givenAt[index])
        Fail(Join(path, "index"), "controller " + std::to_string(index) + " (" + Descriptor(index) +
                                      ") is already given at " +
                                      Item("controllers", *givenAt[index]));
      givenAt[index] = i;
    }
  }

  // Returns the controller's index; the record goes to its row.
  long ReadController(const json& value, const std::string& path) {
    RequireObject(value, path, kControllerFields);
    if (!value.contains("index")) Fail(path, "missing field \"index\"");
    const long index = ReadInteger(value["index"], Join(path, "index"), kControllerCount - 1);
    if (value.contains("descriptor"))
      CheckDescriptor(value["descriptor"], Join(path, "descriptor"), index);

    SPatchParam& param = mContent.params[index];
    if (value.contains("name")) {
      const std::string name = ReadText(value["name"], Join(path, "name"), kMaxNameLength);
      LString::FromStd(name, param.name, sizeof param.name);
    }
    ReadField(value, path, "msgType", param.msgType);
    ReadField(value, path, "isEncoder", param.isEncoder);
    ReadField(value, path, "options", param.options);
    ReadField(value, path, "outputPort", param.outputPort);
    ReadField(value, path, "channel", param.channel);
    if (value.contains("data")) ReadData(value["data"], Join(path, "data"), param);
    return index;
  }

  void CheckDescriptor(const json& value, const std::string& path, long index) {
    const std::string expected = Descriptor(index);
    if (!value.is_string()) Fail(path, "expected a string, found " + Describe(value));
    if (value.get<std::string>() != expected)
      Fail(path, Describe(value) + " does not match index " + std::to_string(index) + " (" +
                     expected + ")");
  }

  void ReadField(const json& object, const std::string& path, const char* key, std::uint8_t& out) {
    if (object.contains(key)) out = ReadByte(object[key], Join(path, key));
  }

  void ReadData(const json& value, const std::string& path, SPatchParam& param) {
    if (!value.is_array())
      Fail(path, "expected an array of at most 34 bytes, found " + Describe(value));
    if (value.size() > kParamDataSize)
      Fail(path, std::to_string(value.size()) + " bytes, at most 34");
    for (std::size_t k = 0; k < value.size(); ++k)
      param.data[k] = ReadByte(value[k], Item(path, k));
  }

  std::uint8_t ReadByte(const json& value, const std::string& path) {
    return static_cast<std::uint8_t>(ReadInteger(value, path, 255));
  }

  long ReadInteger(const json& value, const std::string& path, long highest) {
    const std::string range = "0.." + std::to_string(highest);
    if (!value.is_number_integer())
      Fail(path, "expected an integer " + range + ", found " + Describe(value));
    const bool inRange =
        value.is_number_unsigned()
            ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(highest)
            : value.get<std::int64_t>() >= 0 && value.get<std::int64_t>() <= highest;
    if (!inRange) Fail(path, Describe(value) + " is out of " + range);
    return static_cast<long>(value.get<std::int64_t>());
  }

  std::string ReadText(const json& value, const std::string& path, long maxLength) {
    if (!value.is_string()) Fail(path, "expected a string, found " + Describe(value));
    std::string text = ToMacRoman(value, path);
    if (static_cast<long>(text.size()) > maxLength)
      Fail(path, std::to_string(text.size()) + " characters, at most " + std::to_string(maxLength));
    return text;
  }

  std::string ToMacRoman(const json& value, const std::string& path) {
    UMacRoman::SError error;
    std::optional<std::string> text =
        UMacRoman::FromUTF8(value.get_ref<const std::string&>(), &error);
    if (!text) Fail(path, error.Describe());
    return *text;
  }

  [[noreturn]] static void Fail(const std::string& path, const std::string& reason) {
    throw SInvalid{path, reason};
  }

  SPatchContent mContent;
};

// Refuses an object that holds a key twice (the parser would silently keep the last one) and
// names where: the parser calls back with the nesting of every value it reads. Refuses nesting
// beyond kMaxNesting at once, which also bounds the paths it names.
class CDuplicateKeyGuard {
 public:
  bool operator()(int /*depth*/, json::parse_event_t event, json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
      case json::parse_event_t::array_start:
        if (mFrames.size() >= CPatchJSON::kMaxNesting)
          throw SInvalid{"", "objects and arrays nested more than " +
                                 std::to_string(CPatchJSON::kMaxNesting) + " levels deep"};
        mFrames.push_back({event == json::parse_event_t::array_start, 0, {}, {}});
        break;
      case json::parse_event_t::key: {
        SFrame& top = mFrames.back();
        top.key = parsed.get<std::string>();
        if (!top.keys.insert(top.key).second)
          throw SInvalid{PathOfTop(), "the key \"" + Shorten(top.key) + "\" is given twice"};
        break;
      }
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        mFrames.pop_back();
        CountElement();
        break;
      case json::parse_event_t::value:
        CountElement();
        break;
    }
    return true;
  }

 private:
  struct SFrame {
    bool array;
    std::size_t count;  // elements completed (arrays)
    std::string key;    // the key being read (objects)
    std::set<std::string> keys;
  };

  void CountElement() {
    if (!mFrames.empty() && mFrames.back().array) ++mFrames.back().count;
  }

  // The path of the object on top of the stack.
  std::string PathOfTop() const {
    std::string path;
    for (std::size_t i = 0; i + 1 < mFrames.size(); ++i)
      path = mFrames[i].array ? Item(path, mFrames[i].count) : Join(path, mFrames[i].key);
    return path;
  }

  std::vector<SFrame> mFrames;
};

void WriteText(const json& value, int indent, std::string& out);

void WriteLineStart(int indent, std::string& out) {
  out += '\n';
  out.append(static_cast<std::size_t>(indent), ' ');
}

// Arrays of numbers (record data, binary notices) go on one line, everything else one item a line.
void WriteText(const json& value, int indent, std::string& out) {
  const bool numbers =
      value.is_array() &&
      std::all_of(value.begin(), value.end(), [](const json& item) { return item.is_number(); });
  if (value.empty() || !value.is_structured()) {
    out += value.dump(-1, ' ', false);
    return;
  }
  if (numbers) {
    out += '[';
    for (std::size_t i = 0; i < value.size(); ++i) out += (i ? ", " : "") + value[i].dump();
    out += ']';
    return;
  }
  const bool object = value.is_object();
  out += object ? '{' : '[';
  bool first = true;
  for (const auto& item : value.items()) {
    if (!first) out += ',';
    first = false;
    WriteLineStart(indent + 2, out);
    if (object) out += json(item.key()).dump() + ": ";
    WriteText(item.value(), indent + 2, out);
  }
  WriteLineStart(indent, out);
  out += object ? '}' : ']';
}

}  // namespace

json CPatchJSON::ToJSON(const CPatch& patch) {
  json document;
  document["format"] = kFormatTag;
  document["version"] = kFormatVersion;
  document["title"] = UMacRoman::ToUTF8(LString::View(patch.PatchTitle()));
  json copyrights = json::array();
  for (const CPatch::CopyrightNotice& notice : patch.GetCopyrights()) {
    if (IsPlainText(notice))
      copyrights.push_back(UMacRoman::ToUTF8(notice));
    else
      copyrights.push_back(notice);
  }
  document["copyrights"] = std::move(copyrights);
  json controllers = json::array();
  for (long index = 0; index < kControllerCount; ++index) {
    const SPatchParam& param = *patch.GetParam(index);
    json controller;
    controller["index"] = index;
    controller["descriptor"] = Descriptor(index);
    controller["name"] = UMacRoman::ToUTF8(LString::View(param.name));
    controller["msgType"] = param.msgType;
    controller["isEncoder"] = param.isEncoder;
    controller["options"] = param.options;
    controller["outputPort"] = param.outputPort;
    controller["channel"] = param.channel;
    controller["data"] = std::vector<int>(param.data, param.data + kParamDataSize);
    controllers.push_back(std::move(controller));
  }
  document["controllers"] = std::move(controllers);
  return document;
}

std::string CPatchJSON::ToText(const CPatch& patch) {
  std::string text;
  WriteText(ToJSON(patch), 0, text);
  text += '\n';
  return text;
}

bool CPatchJSON::FromJSON(const json& document, CPatch& patch, SError& error) {
  SPatchContent content;
  try {
    content = CDocumentReader().Read(document);
  } catch (const SInvalid& invalid) {
    error = {invalid.path, invalid.reason};
    return false;
  }
  patch.InitAllParams();
  unsigned char title[kMaxTitleLength + 1];
  LString::FromStd(content.title, title, sizeof title);
  patch.SetPatchTitle(title);
  for (CPatch::CopyrightNotice& notice : content.copyrights) patch.AddCopyright(std::move(notice));
  for (long index = 0; index < kControllerCount; ++index)
    *patch.GetParam(index) = content.params[index];
  return true;
}

bool CPatchJSON::FromText(std::string_view text, CPatch& patch, SError& error) {
  json document;
  try {
    document = json::parse(text, CDuplicateKeyGuard());
  } catch (const SInvalid& invalid) {
    error = {invalid.path, invalid.reason};
    return false;
  } catch (const json::exception& parseError) {
    // A syntax error, or a number too large for any type (1e999). Drop the library's
    // "[json.exception.parse_error.101] " prefix.
    std::string reason = parseError.what();
    const std::size_t prefixEnd = reason.find("] ");
    if (prefixEnd != std::string::npos) reason.erase(0, prefixEnd + 2);
    error = {"", "not valid JSON: " + Shorten(reason, 200)};
    return false;
  }
  return FromJSON(document, patch, error);
}

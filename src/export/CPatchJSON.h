// The lossless JSON form of a patch: the title, the copyright notices and every byte of every
// controller record, with the texts converted between Mac Roman and Unicode. The format is
// described in docs/json-format.md.
//
// Reading is strict and all-or-nothing: the first fault (wrong type, value out of range,
// unknown field, a character Mac Roman lacks...) stops it with the place in the document and
// the reason, and the patch is left as it was. Records are stored exactly as given, without the
// normalisation of CPatch::SetParam, so unused payload bytes survive the way through a file.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

class CPatch;

class CPatchJSON {
 public:
  static constexpr const char* kFormatTag = "kvx-patch";
  static constexpr int kFormatVersion = 1;
  // The file reader keeps at most this many bytes of a copyright notice.
  static constexpr std::size_t kMaxCopyrightSize = 256;
  // A patch document nests four levels deep; text nested deeper than this is refused as soon
  // as the parser reaches the level beyond.
  static constexpr std::size_t kMaxNesting = 32;

  // Where reading stopped and why. `path` is empty for faults of the whole text.
  struct SError {
    std::string path;    // e.g. controllers[3].data[12]
    std::string reason;  // e.g. 300 is out of 0..255
    std::string Message() const { return path.empty() ? reason : path + ": " + reason; }
  };

  static nlohmann::ordered_json ToJSON(const CPatch& patch);
  // The document as text: two-space indentation, number arrays on one line, a final line break.
  static std::string ToText(const CPatch& patch);

  // Replace the whole content of `patch` (title, notices, the 50 records) with the document's.
  // True on success; false with `error` filled, the patch untouched. The format version of the
  // patch (CPatch::GetVersion) is not part of the document and is kept.
  static bool FromJSON(const nlohmann::ordered_json& document, CPatch& patch, SError& error);
  // The same from text; also refuses text that is not JSON, objects with a key twice and
  // nesting beyond kMaxNesting.
  static bool FromText(std::string_view text, CPatch& patch, SError& error);
};

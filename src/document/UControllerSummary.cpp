#include "document/UControllerSummary.h"

#include <algorithm>
#include <string_view>

#include "document/CPatch.h"
#include "framework/core/LString.h"
#include "framework/core/UMacRoman.h"

namespace {

constexpr std::string_view kSeparator = " \u2014 ";  // an em dash between blanks
constexpr std::string_view kNoAssignment = "no assignment";

// The parameter name without surrounding blanks. A damaged length byte is cut to the field.
std::string_view ParameterName(const SPatchParam& param) {
  const std::size_t length = std::min<std::size_t>(param.name[0], kPatchNameSize - 1);
  std::string_view name(reinterpret_cast<const char*>(param.name + 1), length);
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string UControllerSummary::Describe(const CPatch& patch, long index) {
  const SPatchParam* param = patch.GetParam(index);
  if (param == nullptr) return {};
  std::string text = UMacRoman::ToUTF8(LString::View(patch.GetControllerDescriptor(index)));
  if (const std::string_view name = ParameterName(*param); !name.empty()) {
    text += kSeparator;
    text += UMacRoman::ToUTF8(name);
  }
  text += kSeparator;
  if (patch.GetAssignMessage(index) == 0) {
    text += kNoAssignment;
  } else {
    Str255 caption;
    patch.GetShortParamCaption(index, caption);
    text += LString::View(caption);
  }
  return text;
}

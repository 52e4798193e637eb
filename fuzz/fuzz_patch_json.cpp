// The JSON form of a patch as `kvx build` reads it, from any text.
//
// Properties: refused text leaves the patch as it was; accepted text gives a patch whose JSON
// is accepted again, gives the same patch and prints the same JSON.
#include "FuzzSupport.h"

#include "document/CPatch.h"
#include "export/CPatchJSON.h"
#include "framework/core/LString.h"

#include <cstring>
#include <string_view>

namespace {

bool SameContent(const CPatch& a, const CPatch& b) {
  const CPatch::SSnapshot sa = a.TakeSnapshot();
  const CPatch::SSnapshot sb = b.TakeSnapshot();
  // Only the title's characters count; bytes behind its length are left over.
  return LString::View(sa.title) == LString::View(sb.title) &&
         std::memcmp(sa.params, sb.params, sizeof sa.params) == 0 &&
         sa.copyrights == sb.copyrights && a.GetVersion() == b.GetVersion();
}

// A patch with something in every part, so that a refusal that changed any of it shows.
void FillPatch(CPatch& patch) {
  patch.SetPatchTitle(reinterpret_cast<const unsigned char*>("\x06" "Before"));
  patch.AddCopyright({'(', 'c', ')', 0, 0xFF});
  for (long index = 0; index < kControllerCount; index += 7) {
    SPatchParam* param = patch.GetParam(index);
    param->name[0] = 1;
    param->name[1] = static_cast<unsigned char>('A' + index % 26);
    param->msgType = msgType_CC;
    param->channel = static_cast<std::uint8_t>(index % 16);
    param->data[0] = static_cast<std::uint8_t>(index);
    param->data[kParamDataSize - 1] = 0x5A;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceAlerts();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CPatch patch;
  FillPatch(patch);
  CPatch before;
  FillPatch(before);

  CPatchJSON::SError error;
  if (!CPatchJSON::FromText(text, patch, error)) {
    Require(SameContent(patch, before), "refused JSON leaves the patch untouched");
    Require(!error.Message().empty(), "a refusal says why");
    return 0;
  }
  const std::string printed = CPatchJSON::ToText(patch);
  CPatch again;
  Require(CPatchJSON::FromText(printed, again, error), "the JSON of an accepted patch is accepted");
  Require(SameContent(patch, again), "accepted JSON -> patch -> JSON -> patch is the same patch");
  Require(CPatchJSON::ToText(again) == printed, "the same patch prints the same JSON");
  return 0;
}

// The patch file, read from any bytes in both formats: the current one and the older
// device's (27 controllers), which the program imports and saves in the current format.
//
// Properties: a loaded patch saves to a file that loads again and saves to the same bytes;
// its JSON builds that same file.
#include "FuzzSupport.h"

#include "document/CPatch.h"
#include "export/CPatchJSON.h"

#include <vector>

namespace {

void CheckLoadedPatch(CPatch& loaded) {
  loaded.SetCurrentVersion();
  const std::vector<std::uint8_t> saved = loaded.MakeSMFData();

  CPatch reloaded;
  Require(reloaded.LoadSMFData(saved) == 0, "a saved patch loads");
  Require(reloaded.MakeSMFData() == saved, "a saved patch saves to the same bytes");

  CPatch built;
  CPatchJSON::SError error;
  Require(CPatchJSON::FromText(CPatchJSON::ToText(loaded), built, error),
          "the JSON of a loaded patch is accepted");
  Require(built.MakeSMFData() == saved, "the JSON of a loaded patch builds the same file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilenceAlerts();
  const std::span<const std::uint8_t> bytes(data, size);
  for (std::uint32_t version : {kPatchVersion, kPatchVersion_100}) {
    CPatch patch;
    patch.SetVersion(version);
    if (patch.LoadSMFData(bytes) == 0) CheckLoadedPatch(patch);
  }
  return 0;
}

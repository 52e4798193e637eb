#include "device/SDeviceOptions.h"

#include "framework/core/LString.h"

#include <charconv>

namespace {

// A controller by index ("3") or by name ("R3"); -1 when it is neither.
long ParseController(const std::string& text) {
  long index = -1;
  const char* const last = text.data() + text.size();
  if (const auto [end, error] = std::from_chars(text.data(), last, index);
      error == std::errc() && end == last)
    return CPatch::ValidParamIndex(index) ? index : -1;
  for (long row = 0; row < kControllerCount; ++row)
    if (LString::View(kControllerInfo[row].descriptor) == text) return row;
  return -1;
}

long* FaultTarget(const std::string& argument, CKVXDevice::SFaults& faults) {
  if (argument == "--drop-dump") return &faults.dropDump;
  if (argument == "--repeat-dump") return &faults.repeatDump;
  if (argument == "--corrupt-dump") return &faults.corruptDump;
  if (argument == "--lose-received") return &faults.loseReceived;
  return nullptr;
}

}  // namespace

bool SDeviceOptions::Parse(const std::vector<std::string>& arguments, SDeviceOptions& options,
                           std::string& error) {
  options = SDeviceOptions{};
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      continue;
    }
    if (long* fault = FaultTarget(argument, options.faults)) {
      *fault = i + 1 < arguments.size() ? ParseController(arguments[i + 1]) : -1;
      if (*fault < 0) {
        error = argument + " needs a controller: an index from 0 to 49 or a name such as R3";
        return false;
      }
      ++i;
      continue;
    }
    std::string* target = argument == "--name"    ? &options.name
                          : argument == "--patch" ? &options.patchFile
                          : argument == "--save"  ? &options.saveFile
                                                  : nullptr;
    if (target == nullptr) {
      error = "unknown argument: " + argument;
      return false;
    }
    if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
      error = argument + " needs a value";
      return false;
    }
    *target = arguments[++i];
  }
  return true;
}

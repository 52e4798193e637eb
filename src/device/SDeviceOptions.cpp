#include "device/SDeviceOptions.h"

bool SDeviceOptions::Parse(const std::vector<std::string>& arguments, SDeviceOptions& options,
                           std::string& error) {
  options = SDeviceOptions{};
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
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

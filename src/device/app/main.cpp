// kvx-device: a virtual KVX device on ALSA or JACK, until SIGINT or SIGTERM.
#include "device/CKVXDevice.h"
#include "device/CKVXDeviceHost.h"
#include "device/SDeviceOptions.h"
#include "framework/core/FSSpec.h"
#include "midi/platform/CMidiSystem.h"

#include <atomic>
#include <csignal>
#include <iostream>

namespace {

std::atomic<bool> gStop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnSignal(int /*signal*/) { gStop.store(true); }

void Log(const std::string& line) { std::cout << line << std::endl; }

}  // namespace

int main(int argc, char* argv[]) {
  SDeviceOptions options;
  std::string error;
  if (!SDeviceOptions::Parse({argv + 1, argv + argc}, options, error)) {
    std::cerr << "kvx-device: " << error << '\n' << SDeviceOptions::kUsage;
    return 2;
  }
  if (options.help) {
    std::cout << SDeviceOptions::kUsage;
    return 0;
  }

  CKVXDevice device;
  device.SetFaults(options.faults);
  if (!options.patchFile.empty()) {
    const short status = device.LoadPatch(FSSpec::FromPath(options.patchFile));
    if (status != 0) {
      std::cerr << "kvx-device: cannot load " << options.patchFile << " (status " << status << ")\n";
      return 1;
    }
  }

  CMidiSystem::Options systemOptions;
  systemOptions.clientName = options.name;  // on JACK: the client that carries its ports
  systemOptions.errorHandler = [](const std::string& message) {
    std::cerr << "kvx-device: " << message << std::endl;
  };
  CMidiSystem system(std::move(systemOptions));
  if (system.GetSystemName().empty()) {
    std::cerr << "kvx-device: neither the ALSA sequencer nor a JACK server can be reached\n";
    return 1;
  }

  CKVXDeviceHost host(system, device, Log);
  if (host.Open(options.name) != kMIDINoErr) {
    std::cerr << "kvx-device: cannot publish \"" << options.name << "\": " << system.GetLastError()
              << '\n';
    return 1;
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  Log("kvx-device: \"" + options.name + "\" on " + system.GetSystemName() + ", until interrupted");
  host.Run(gStop);

  if (!options.saveFile.empty()) {
    const short status = device.SavePatch(FSSpec::FromPath(options.saveFile));
    if (status != 0) {
      std::cerr << "kvx-device: cannot save " << options.saveFile << " (status " << status << ")\n";
      return 1;
    }
    Log("kvx-device: records saved to " + options.saveFile);
  }
  return 0;
}

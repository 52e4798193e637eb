// The command line of kvx-device: [--name NAME] [--patch FILE] [--save FILE] [fault options]
// [--help].
#pragma once

#include "device/CKVXDevice.h"

#include <string>
#include <vector>

struct SDeviceOptions {
  std::string name = "KVX Virtual Device";
  std::string patchFile;  // records to start with; empty records without it
  std::string saveFile;   // where the records go at the end, if given
  CKVXDevice::SFaults faults;
  bool help = false;

  static constexpr const char* kUsage =
      "usage: kvx-device [--name NAME] [--patch FILE] [--save FILE]\n"
      "  A virtual KVX device on ALSA or JACK (KVX_MIDI_SYSTEM=alsa|jack chooses).\n"
      "  --name NAME   the name of its MIDI source and destination (default \"KVX Virtual Device\")\n"
      "  --patch FILE  start with the records of this patch file\n"
      "  --save FILE   write the records to this patch file on exit (Ctrl-C or SIGTERM)\n"
      "Faults, for tests (K: a controller, by index 0-49 or by name such as R3):\n"
      "  --drop-dump K      leave out K's dump whenever sending the patch\n"
      "  --repeat-dump K    send K's dump twice, in place of the next controller's\n"
      "  --corrupt-dump K   send K's dump with a wrong checksum\n"
      "  --lose-received K  lose the first good dump received for K, as on the way\n";

  // False with a message in `error` for an unknown option or a missing value.
  static bool Parse(const std::vector<std::string>& arguments, SDeviceOptions& options,
                    std::string& error);
};

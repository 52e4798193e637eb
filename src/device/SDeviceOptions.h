// The command line of kvx-device: [--name NAME] [--patch FILE] [--save FILE] [--help].
#pragma once

#include <string>
#include <vector>

struct SDeviceOptions {
  std::string name = "KVX Virtual Device";
  std::string patchFile;  // records to start with; empty records without it
  std::string saveFile;   // where the records go at the end, if given
  bool help = false;

  static constexpr const char* kUsage =
      "usage: kvx-device [--name NAME] [--patch FILE] [--save FILE]\n"
      "  A virtual KVX device on ALSA or JACK (KVX_MIDI_SYSTEM=alsa|jack chooses).\n"
      "  --name NAME   the name of its MIDI source and destination (default \"KVX Virtual Device\")\n"
      "  --patch FILE  start with the records of this patch file\n"
      "  --save FILE   write the records to this patch file on exit (Ctrl-C or SIGTERM)\n";

  // False with a message in `error` for an unknown option or a missing value.
  static bool Parse(const std::vector<std::string>& arguments, SDeviceOptions& options,
                    std::string& error);
};

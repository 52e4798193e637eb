// Names and unique IDs of endpoints. The MIDI systems number their clients and ports afresh in
// every session (ALSA "128:0", JACK's "-01" for a clashing client name, a2jmidid's "[20]"), so
// the IDs come from the names without those numbers: the same device keeps its ID across runs
// and re-plugging, and two ports with the same name are told apart by their order.
#pragma once

#include "midi/platform/MIDITypes.h"

#include <string>
#include <string_view>
#include <vector>

class UMidiEndpointNames {
 public:
  // "client:port" as the MIDI system gives it, without the numbers it assigns per session.
  static std::string StableName(std::string_view systemName);

  // What users see: the port name when it already starts with the client name (as most
  // devices do), otherwise "client:port".
  static std::string DisplayName(std::string_view stableName);

  // The ID of the occurrence-th endpoint (counting from 0, in listing order) with this stable
  // name in this direction. Never 0, which means none.
  static MIDIUniqueID MakeUniqueID(EMidiDirection direction, std::string_view stableName,
                                   unsigned occurrence);

  // The IDs of a whole listing of one direction, equal names counted in order.
  static std::vector<MIDIUniqueID> AssignUniqueIDs(EMidiDirection direction,
                                                   const std::vector<std::string>& stableNames);
};

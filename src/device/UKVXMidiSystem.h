// The MIDI system of the editor's programs: ALSA or JACK (whichever can be used), with the
// built-in KVX device always listed, so that transfers can be tried without hardware. The
// editor and the kvx tool both build theirs here.
#pragma once

#include "midi/platform/CMidiErrorRelay.h"

#include <memory>

class CMidiSystem;

class UKVXMidiSystem {
 public:
  // `errorHandler` receives the MIDI systems' error texts on the main thread; it must not call
  // back into the MIDI system.
  static std::unique_ptr<CMidiSystem> Create(CMidiErrorRelay::Handler errorHandler);
};

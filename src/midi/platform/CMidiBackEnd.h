// One MIDI system the layer reaches (ALSA through RtMidi, JACK, or the built-in device), as
// CMidiSystem sees it. Listing and opening run on the main thread; an output link is used by
// one thread at a time (CMidiSystem serialises sends).
#pragma once

#include "midi/platform/MIDITypes.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CMidiPacketSink;

struct SMidiEndpointInfo {
  std::string key;         // the back end's own address of the endpoint in this session
  std::string systemName;  // its name as the MIDI system gives it, session numbers included
};

// The names our side of a connection carries in the MIDI system.
struct SMidiPortNames {
  std::string client;
  std::string port;
};

// An open way in. Destroying it ends delivery: once the destructor returns, its sink is no
// longer called.
class CMidiInputLink {
 public:
  virtual ~CMidiInputLink() = default;
};

// An open way out.
class CMidiOutputLink {
 public:
  virtual ~CMidiOutputLink() = default;
  // Sends one whole message (a SysEx, or one channel or system message).
  virtual OSStatus SendMessage(std::span<const std::uint8_t> message) = 0;
  // Returns once the messages sent so far have reached the MIDI system's receivers, or false
  // when the deadline passed first. Links that hand each message over at once (ALSA, the
  // built-in device) have nothing to wait for.
  virtual bool WaitUntilSent(std::chrono::steady_clock::time_point /*deadline*/) { return true; }
};

class CMidiBackEnd {
 public:
  virtual ~CMidiBackEnd() = default;

  virtual std::string GetName() const = 0;
  virtual void ListEndpoints(EMidiDirection direction, std::vector<SMidiEndpointInfo>& out) = 0;

  // Connects a source to the sink; packets then reach the sink on a thread other than the
  // main thread.
  virtual OSStatus OpenInput(const std::string& key, const SMidiPortNames& names,
                             CMidiPacketSink& sink, std::unique_ptr<CMidiInputLink>& link) = 0;
  virtual OSStatus OpenOutput(const std::string& key, const SMidiPortNames& names,
                              std::unique_ptr<CMidiOutputLink>& link) = 0;

  // Ports that other MIDI programs see as a destination or a source of ours.
  virtual OSStatus PublishDestination(const SMidiPortNames& /*names*/, CMidiPacketSink& /*sink*/,
                                      std::unique_ptr<CMidiInputLink>& /*link*/) {
    return kMIDINotSupportedErr;
  }
  virtual OSStatus PublishSource(const SMidiPortNames& /*names*/,
                                 std::unique_ptr<CMidiOutputLink>& /*link*/) {
    return kMIDINotSupportedErr;
  }

  // How many cycles the MIDI server has reported dropping since the back end was opened
  // (0 where the MIDI system does not tell). Any thread.
  virtual std::uint32_t GetDropoutCount() const { return 0; }
};

// An output port: sends packet lists to any destination, at once (time stamps are not used).
#pragma once

#include "midi/platform/CMidiPort.h"
#include "midi/platform/MIDITypes.h"

class CMidiOutputPort final : public CMidiPort {
 public:
  CMidiOutputPort(CMidiClient& client, std::string name);

  // The packets' bytes, in order, cut into whole messages (a SysEx may spread over packets).
  // 0 when the MIDI system took every message.
  OSStatus Send(MIDIEndpointRef destination, const MIDIPacketList& list);

  // Opens the way to the destination the port is about to send to, so that the first message
  // does not wait for it (on JACK: the connection is made before this returns). A port keeps
  // one destination at a time: sending elsewhere moves it there.
  OSStatus OpenDestination(MIDIEndpointRef destination);
};

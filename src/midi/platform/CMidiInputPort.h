// An input port. Sources are connected to it one by one; the packets of each reach the read
// procedure on a MIDI thread (never the main thread), with the refCon given when that source
// was connected. The read procedure must be real-time safe: no allocation, lock, blocking,
// logging or exception.
#pragma once

#include "midi/platform/CMidiPort.h"
#include "midi/platform/MIDITypes.h"

#include <memory>
#include <vector>

class CMidiInputLink;
class CMidiPacketSink;

class CMidiInputPort final : public CMidiPort {
 public:
  CMidiInputPort(CMidiClient& client, std::string name, MIDIReadProc readProc, void* refCon);
  ~CMidiInputPort() override;  // disconnects every source

  // Connecting a source again replaces its refCon.
  OSStatus ConnectSource(MIDIEndpointRef source, void* connRefCon);
  // Once this returns, no packet of that source reaches the read procedure.
  OSStatus DisconnectSource(MIDIEndpointRef source);
  bool IsConnected(MIDIEndpointRef source) const;

 private:
  struct SConnection {
    MIDIEndpointRef source = 0;
    std::unique_ptr<CMidiPacketSink> sink;
    std::unique_ptr<CMidiInputLink> link;  // declared after the sink: it goes first
    SConnection();
    SConnection(SConnection&&) noexcept;
    SConnection& operator=(SConnection&&) noexcept;
    ~SConnection();
  };

  MIDIReadProc mReadProc;
  void* mReadRefCon;
  std::vector<SConnection> mConnections;
};

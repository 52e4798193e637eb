// A program's presence in the MIDI system: a name, the setup notifications, and the ports.
// Made by CMidiSystem::CreateClient; destroying it disposes of its ports and cancels its SysEx
// requests. Main thread only.
#pragma once

#include "midi/platform/MIDITypes.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CMidiInputPort;
class CMidiOutputPort;
class CMidiPort;
class CMidiPublishedDestination;
class CMidiPublishedSource;
class CMidiSystem;

class CMidiClient {
 public:
  CMidiClient(const CMidiClient&) = delete;
  CMidiClient& operator=(const CMidiClient&) = delete;
  ~CMidiClient();

  const std::string& GetName() const { return mName; }
  CMidiSystem& GetSystem() const { return mSystem; }

  // An input port; packets of the sources connected to it reach `readProc` on a MIDI thread.
  OSStatus CreateInputPort(std::string_view name, MIDIReadProc readProc, void* refCon,
                           CMidiInputPort*& port);
  // An output port, through which packets go to any destination.
  OSStatus CreateOutputPort(std::string_view name, CMidiOutputPort*& port);

  // A source or a destination that other MIDI programs see under this client's name and
  // `name` (ALSA and JACK only; the built-in device alone cannot publish).
  OSStatus CreateSource(std::string_view name, CMidiPublishedSource*& source);
  OSStatus CreateDestination(std::string_view name, MIDIReadProc readProc, void* refCon,
                             CMidiPublishedDestination*& destination);

  // Closes one of this client's ports (its connections first).
  OSStatus DisposePort(CMidiPort* port);

  // Starts sending request.bytesToSend bytes at request.data to request.destination and
  // returns; `complete` turns true when they are out. The bytes go through the client's first
  // output port (as named in the MIDI system), or under the client's name when it has none.
  OSStatus SendSysex(MIDISysexSendRequest& request);

 private:
  friend class CMidiSystem;
  CMidiClient(CMidiSystem& system, std::string name, MIDINotifyProc notifyProc, void* refCon);
  void Notify(const MIDINotification& notification) const;
  std::string OutputPortName() const;

  CMidiSystem& mSystem;
  std::string mName;
  MIDINotifyProc mNotifyProc;
  void* mNotifyRefCon;
  std::vector<std::unique_ptr<CMidiPort>> mPorts;

  // Keeps a port the client has made and hands it to the caller.
  template <typename Port>
  OSStatus Keep(std::unique_ptr<Port> created, Port*& port) {
    port = created.get();
    mPorts.push_back(std::move(created));
    return kMIDINoErr;
  }
};

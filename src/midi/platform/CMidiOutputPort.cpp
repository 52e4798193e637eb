#include "midi/platform/CMidiOutputPort.h"

#include "midi/platform/CMidiClient.h"
#include "midi/platform/CMidiSystem.h"

#include <vector>

CMidiOutputPort::CMidiOutputPort(CMidiClient& client, std::string name)
    : CMidiPort(client, std::move(name)) {}

OSStatus CMidiOutputPort::Send(MIDIEndpointRef destination, const MIDIPacketList& list) {
  if (list.numPackets > kMIDIPacketListCapacity) return kMIDIInvalidArgumentErr;
  std::vector<std::uint8_t> bytes;
  const MIDIPacket* packet = &list.packet[0];
  for (std::uint32_t i = 0; i < list.numPackets; ++i, packet = MIDIPacketNext(packet)) {
    if (packet->length > kMIDIPacketDataSize) return kMIDIInvalidArgumentErr;
    bytes.insert(bytes.end(), packet->data, packet->data + packet->length);
  }
  if (bytes.empty()) return kMIDINoErr;
  return GetClient().GetSystem().Send(destination, {GetClient().GetName(), GetName()}, bytes);
}

OSStatus CMidiOutputPort::OpenDestination(MIDIEndpointRef destination) {
  return GetClient().GetSystem().OpenOutput(destination, {GetClient().GetName(), GetName()});
}

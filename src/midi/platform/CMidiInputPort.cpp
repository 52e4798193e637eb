#include "midi/platform/CMidiInputPort.h"

#include "midi/platform/CMidiBackEnd.h"
#include "midi/platform/CMidiClient.h"
#include "midi/platform/CMidiPacketSink.h"
#include "midi/platform/CMidiSystem.h"

#include <algorithm>

CMidiInputPort::SConnection::SConnection() = default;
CMidiInputPort::SConnection::SConnection(SConnection&&) noexcept = default;
CMidiInputPort::SConnection& CMidiInputPort::SConnection::operator=(SConnection&&) noexcept =
    default;
CMidiInputPort::SConnection::~SConnection() = default;

CMidiInputPort::CMidiInputPort(CMidiClient& client, std::string name, MIDIReadProc readProc,
                               void* refCon)
    : CMidiPort(client, std::move(name)), mReadProc(readProc), mReadRefCon(refCon) {}

CMidiInputPort::~CMidiInputPort() {
  while (!mConnections.empty()) mConnections.pop_back();
}

OSStatus CMidiInputPort::ConnectSource(MIDIEndpointRef source, void* connRefCon) {
  if (IsConnected(source)) DisconnectSource(source);
  SConnection connection;
  connection.source = source;
  connection.sink = std::make_unique<CMidiPacketSink>(mReadProc, mReadRefCon, connRefCon);
  const OSStatus status = GetClient().GetSystem().OpenInput(
      source, {GetClient().GetName(), GetName()}, *connection.sink, connection.link);
  if (status != kMIDINoErr) return status;
  mConnections.push_back(std::move(connection));
  return kMIDINoErr;
}

OSStatus CMidiInputPort::DisconnectSource(MIDIEndpointRef source) {
  const auto found = std::ranges::find(mConnections, source, &SConnection::source);
  if (found == mConnections.end()) return kMIDINoConnectionErr;
  mConnections.erase(found);
  return kMIDINoErr;
}

bool CMidiInputPort::IsConnected(MIDIEndpointRef source) const {
  return std::ranges::find(mConnections, source, &SConnection::source) != mConnections.end();
}

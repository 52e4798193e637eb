#include "midi/platform/CMidiClient.h"

#include "midi/platform/CMidiInputPort.h"
#include "midi/platform/CMidiOutputPort.h"
#include "midi/platform/CMidiPacketSink.h"
#include "midi/platform/CMidiPublishedDestination.h"
#include "midi/platform/CMidiPublishedSource.h"
#include "midi/platform/CMidiSystem.h"

#include <algorithm>

CMidiClient::CMidiClient(CMidiSystem& system, std::string name, MIDINotifyProc notifyProc,
                         void* refCon)
    : mSystem(system), mName(std::move(name)), mNotifyProc(notifyProc), mNotifyRefCon(refCon) {
  mSystem.AddClient(this);
}

CMidiClient::~CMidiClient() {
  mSystem.RemoveClient(this);  // cancels the SysEx requests first
  mPorts.clear();
}

OSStatus CMidiClient::CreateInputPort(std::string_view name, MIDIReadProc readProc, void* refCon,
                                      CMidiInputPort*& port) {
  port = nullptr;
  if (name.empty() || readProc == nullptr) return kMIDIInvalidArgumentErr;
  auto created = std::make_unique<CMidiInputPort>(*this, std::string(name), readProc, refCon);
  mSystem.AddOwnPort(mName, created->GetName());
  return Keep(std::move(created), port);
}

OSStatus CMidiClient::CreateOutputPort(std::string_view name, CMidiOutputPort*& port) {
  port = nullptr;
  if (name.empty()) return kMIDIInvalidArgumentErr;
  auto created = std::make_unique<CMidiOutputPort>(*this, std::string(name));
  mSystem.AddOwnPort(mName, created->GetName());
  return Keep(std::move(created), port);
}

OSStatus CMidiClient::CreateSource(std::string_view name, CMidiPublishedSource*& source) {
  source = nullptr;
  if (name.empty()) return kMIDIInvalidArgumentErr;
  CMidiBackEnd* backEnd = mSystem.PublishingBackEnd();
  if (backEnd == nullptr) return kMIDINotSupportedErr;
  std::unique_ptr<CMidiOutputLink> link;
  const OSStatus status = backEnd->PublishSource({mName, std::string(name)}, link);
  if (status != kMIDINoErr) return status;
  auto created = std::make_unique<CMidiPublishedSource>(*this, std::string(name), std::move(link));
  return Keep(std::move(created), source);
}

OSStatus CMidiClient::CreateDestination(std::string_view name, MIDIReadProc readProc,
                                        void* refCon, CMidiPublishedDestination*& destination) {
  destination = nullptr;
  if (name.empty() || readProc == nullptr) return kMIDIInvalidArgumentErr;
  CMidiBackEnd* backEnd = mSystem.PublishingBackEnd();
  if (backEnd == nullptr) return kMIDINotSupportedErr;
  auto created = std::make_unique<CMidiPublishedDestination>(
      *this, std::string(name), std::make_unique<CMidiPacketSink>(readProc, refCon, nullptr));
  std::unique_ptr<CMidiInputLink> link;
  const OSStatus status =
      backEnd->PublishDestination({mName, created->GetName()}, created->GetSink(), link);
  if (status != kMIDINoErr) return status;
  created->SetLink(std::move(link));
  return Keep(std::move(created), destination);
}

OSStatus CMidiClient::DisposePort(CMidiPort* port) {
  const auto found =
      std::ranges::find_if(mPorts, [port](const auto& owned) { return owned.get() == port; });
  if (found == mPorts.end()) return kMIDIUnknownPortErr;
  mPorts.erase(found);
  return kMIDINoErr;
}

OSStatus CMidiClient::SendSysex(MIDISysexSendRequest& request) {
  if (request.data == nullptr || request.bytesToSend == 0) return kMIDIInvalidArgumentErr;
  if (!mSystem.IsDestination(request.destination)) return kMIDIUnknownEndpointErr;
  request.complete.store(false, std::memory_order_release);
  mSystem.EnqueueSysex(this, request, {mName, OutputPortName()});
  return kMIDINoErr;
}

void CMidiClient::Notify(const MIDINotification& notification) const {
  if (mNotifyProc != nullptr) mNotifyProc(&notification, mNotifyRefCon);
}

std::string CMidiClient::OutputPortName() const {
  for (const auto& port : mPorts) {
    if (dynamic_cast<const CMidiOutputPort*>(port.get()) != nullptr) return port->GetName();
  }
  return mName;
}

#include "midi/platform/CMidiSystem.h"

#include "framework/core/TickCount.h"
#include "midi/platform/CBuiltInDeviceBackEnd.h"
#include "midi/platform/CJackBackEnd.h"
#include "midi/platform/CMidiClient.h"
#include "midi/platform/CMidiDeviceModel.h"
#include "midi/platform/CMidiStreamParser.h"
#include "midi/platform/CMidiSysexSender.h"
#include "midi/platform/CRtMidiBackEnd.h"
#include "midi/platform/UMidiEndpointNames.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

EMidiSystemChoice ChoiceFromEnvironment(CMidiErrorRelay& errors) {
  const char* value = std::getenv("KVX_MIDI_SYSTEM");
  if (value == nullptr || *value == '\0') return EMidiSystemChoice::Automatic;
  const std::string name(value);
  if (name == "alsa") return EMidiSystemChoice::Alsa;
  if (name == "jack") return EMidiSystemChoice::Jack;
  if (name == "none") return EMidiSystemChoice::None;
  errors.Report("KVX_MIDI_SYSTEM=" + name + " is not alsa, jack or none; choosing automatically.");
  return EMidiSystemChoice::Automatic;
}

}  // namespace

CMidiSystem::CMidiSystem(Options options) {
  mErrors.SetHandler(std::move(options.errorHandler));
  OpenBackEnds(options);
  RefreshEndpoints();
  mLastSetupCheck = TickCount();
  mSysexSender = std::make_unique<CMidiSysexSender>(
      [this](const MIDISysexSendRequest& request, const SMidiPortNames& names) {
        return Send(request.destination, names, {request.data, request.bytesToSend});
      },
      mErrors);
}

CMidiSystem::~CMidiSystem() = default;

void CMidiSystem::OpenBackEnds(const Options& options) {
  EMidiSystemChoice choice = options.system;
  if (choice == EMidiSystemChoice::Automatic) choice = ChoiceFromEnvironment(mErrors);
  std::unique_ptr<CMidiBackEnd> system;
  const auto openAlsa = [&](bool reportAbsence) {
    return CRtMidiBackEnd::Open(options.listerClientName, mErrors, reportAbsence);
  };
  const auto openJack = [&](bool reportAbsence) {
    return CJackBackEnd::Open(options.clientName, mErrors, reportAbsence);
  };
  switch (choice) {
    case EMidiSystemChoice::Automatic:
      system = openAlsa(false);
      if (!system) system = openJack(false);
      break;
    case EMidiSystemChoice::Alsa:
      system = openAlsa(true);
      break;
    case EMidiSystemChoice::Jack:
      system = openJack(true);
      break;
    case EMidiSystemChoice::None:
      break;
  }
  if (system) {
    mSystemBackEnd = system.get();
    mBackEnds.push_back(std::move(system));
  }
  if (options.builtInDevice) {
    if (auto model = options.builtInDevice()) {
      mBackEnds.push_back(std::make_unique<CBuiltInDeviceBackEnd>(std::move(model), mErrors));
    }
  }
  if (options.additionalBackEnd) {
    if (auto backEnd = options.additionalBackEnd()) mBackEnds.push_back(std::move(backEnd));
  }
}

std::string CMidiSystem::GetSystemName() const {
  return mSystemBackEnd != nullptr ? mSystemBackEnd->GetName() : std::string();
}

OSStatus CMidiSystem::CreateClient(std::string_view name, MIDINotifyProc notifyProc,
                                   void* refCon, std::unique_ptr<CMidiClient>& client) {
  if (name.empty()) return kMIDIInvalidArgumentErr;
  client.reset(new CMidiClient(*this, std::string(name), notifyProc, refCon));
  return kMIDINoErr;
}

MIDIEndpointRef CMidiSystem::GetSource(std::size_t index) const {
  return index < mSources.size() ? mSources[index] : 0;
}

MIDIEndpointRef CMidiSystem::GetDestination(std::size_t index) const {
  return index < mDestinations.size() ? mDestinations[index] : 0;
}

OSStatus CMidiSystem::GetUniqueID(MIDIEndpointRef endpoint, MIDIUniqueID& uniqueID) const {
  const SEndpoint* found = FindPresent(endpoint);
  if (found == nullptr) return kMIDIUnknownEndpointErr;
  uniqueID = found->uniqueID;
  return kMIDINoErr;
}

OSStatus CMidiSystem::GetName(MIDIEndpointRef endpoint, std::string& name) const {
  const SEndpoint* found = FindPresent(endpoint);
  if (found == nullptr) return kMIDIUnknownEndpointErr;
  name = found->displayName;
  return kMIDINoErr;
}

void CMidiSystem::Poll() {
  mErrors.Deliver();
  if (TickCount() - mLastSetupCheck >= kSetupPollTicks) CheckSetup();
}

bool CMidiSystem::CheckSetup() {
  mLastSetupCheck = TickCount();
  if (!RefreshEndpoints()) return false;
  DropVanishedOutputs();
  const MIDINotification notification{kMIDIMsgSetupChanged, sizeof(MIDINotification)};
  const std::vector<CMidiClient*> clients = mClients;  // a notified client may add or go
  for (CMidiClient* client : clients) {
    if (std::ranges::find(mClients, client) != mClients.end()) client->Notify(notification);
  }
  return true;
}

bool CMidiSystem::WaitUntilSent(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::lock_guard sendLock(mSendMutex);
  bool sent = true;
  for (auto& [key, output] : mOutputs) {
    if (!std::exchange(output.sentSinceWait, false)) continue;
    if (!output.link->WaitUntilSent(deadline)) sent = false;
  }
  return sent;
}

void CMidiSystem::HoldSysexSends(bool held) { mSysexSender->SetHeld(held); }

std::uint32_t CMidiSystem::GetDropoutCount() const {
  std::uint32_t count = 0;
  for (const auto& backEnd : mBackEnds) count += backEnd->GetDropoutCount();
  return count;
}

bool CMidiSystem::RefreshEndpoints() {
  struct SListing {
    EMidiDirection direction;
    std::vector<CMidiBackEnd*> backEnds;
    std::vector<SMidiEndpointInfo> infos;
    std::vector<std::string> stableNames;
  };
  SListing listings[2] = {{EMidiDirection::Source, {}, {}, {}},
                          {EMidiDirection::Destination, {}, {}, {}}};
  for (SListing& listing : listings) {
    for (auto& backEnd : mBackEnds) {
      std::vector<SMidiEndpointInfo> infos;
      backEnd->ListEndpoints(listing.direction, infos);
      for (auto& info : infos) {
        std::string stableName = UMidiEndpointNames::StableName(info.systemName);
        if (mOwnPorts.contains(stableName)) continue;
        listing.backEnds.push_back(backEnd.get());
        listing.infos.push_back(std::move(info));
        listing.stableNames.push_back(std::move(stableName));
      }
    }
  }

  std::lock_guard lock(mRegistryMutex);
  std::vector<std::pair<MIDIEndpointRef, std::string>> before;
  for (const SEndpoint& endpoint : mEndpoints) {
    if (endpoint.present) before.emplace_back(endpoint.ref, endpoint.key);
  }
  const auto oldSources = std::exchange(mSources, {});
  const auto oldDestinations = std::exchange(mDestinations, {});
  for (SEndpoint& endpoint : mEndpoints) endpoint.present = false;
  for (SListing& listing : listings) {
    const auto ids = UMidiEndpointNames::AssignUniqueIDs(listing.direction, listing.stableNames);
    auto& refs = listing.direction == EMidiDirection::Source ? mSources : mDestinations;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      refs.push_back(Register(listing.direction, listing.backEnds[i], listing.infos[i],
                              listing.stableNames[i], ids[i]));
    }
  }
  std::vector<std::pair<MIDIEndpointRef, std::string>> after;
  for (const SEndpoint& endpoint : mEndpoints) {
    if (endpoint.present) after.emplace_back(endpoint.ref, endpoint.key);
  }
  return oldSources != mSources || oldDestinations != mDestinations || before != after;
}

MIDIEndpointRef CMidiSystem::Register(EMidiDirection direction, CMidiBackEnd* backEnd,
                                      const SMidiEndpointInfo& info, const std::string& stableName,
                                      MIDIUniqueID uniqueID) {
  auto found = std::ranges::find_if(mEndpoints, [&](const SEndpoint& endpoint) {
    return endpoint.direction == direction && endpoint.uniqueID == uniqueID;
  });
  if (found == mEndpoints.end()) {
    SEndpoint endpoint;
    endpoint.ref = static_cast<MIDIEndpointRef>(mEndpoints.size() + 1);
    endpoint.direction = direction;
    endpoint.uniqueID = uniqueID;
    mEndpoints.push_back(std::move(endpoint));
    found = mEndpoints.end() - 1;
  }
  found->backEnd = backEnd;
  found->key = info.key;
  found->displayName = UMidiEndpointNames::DisplayName(stableName);
  found->present = true;
  return found->ref;
}

const CMidiSystem::SEndpoint* CMidiSystem::FindPresent(MIDIEndpointRef endpoint) const {
  if (endpoint == 0 || endpoint > mEndpoints.size()) return nullptr;
  const SEndpoint& found = mEndpoints[endpoint - 1];
  return found.present ? &found : nullptr;
}

void CMidiSystem::DropVanishedOutputs() {
  std::lock_guard sendLock(mSendMutex);
  std::lock_guard registryLock(mRegistryMutex);
  std::erase_if(mOutputs, [this](const auto& entry) {
    const SEndpoint* endpoint = FindPresent(std::get<0>(entry.first));
    return endpoint == nullptr || endpoint->key != entry.second.endpointKey;
  });
}

CMidiBackEnd* CMidiSystem::PublishingBackEnd() const { return mSystemBackEnd; }

void CMidiSystem::AddClient(CMidiClient* client) { mClients.push_back(client); }

void CMidiSystem::RemoveClient(CMidiClient* client) {
  CancelSysex(client);
  std::erase(mClients, client);
}

void CMidiSystem::AddOwnPort(const std::string& clientName, const std::string& portName) {
  mOwnPorts.insert(UMidiEndpointNames::StableName(clientName + ":" + portName));
}

OSStatus CMidiSystem::OpenInput(MIDIEndpointRef source, const SMidiPortNames& names,
                                CMidiPacketSink& sink, std::unique_ptr<CMidiInputLink>& link) {
  const SEndpoint* endpoint = FindPresent(source);
  if (endpoint == nullptr || endpoint->direction != EMidiDirection::Source) {
    return kMIDIUnknownEndpointErr;
  }
  return endpoint->backEnd->OpenInput(endpoint->key, names, sink, link);
}

bool CMidiSystem::IsDestination(MIDIEndpointRef endpoint) const {
  const SEndpoint* found = FindPresent(endpoint);
  return found != nullptr && found->direction == EMidiDirection::Destination;
}

OSStatus CMidiSystem::OpenOutput(MIDIEndpointRef destination, const SMidiPortNames& names) {
  std::lock_guard sendLock(mSendMutex);
  SOutput* output = nullptr;
  return FindOutput(destination, names, output);
}

OSStatus CMidiSystem::Send(MIDIEndpointRef destination, const SMidiPortNames& names,
                           std::span<const std::uint8_t> bytes) {
  std::lock_guard sendLock(mSendMutex);
  SOutput* output = nullptr;
  OSStatus status = FindOutput(destination, names, output);
  if (status != kMIDINoErr) return status;
  const auto sendOne = [&](std::span<const std::uint8_t> message, bool /*truncated*/) {
    if (status != kMIDINoErr || message.empty()) return;
    status = output->link->SendMessage(message);
    output->sentSinceWait = true;
  };
  CMidiStreamParser parser(bytes.size());
  parser.Feed(bytes, sendOne);
  parser.Flush(sendOne);
  return status;
}

OSStatus CMidiSystem::FindOutput(MIDIEndpointRef destination, const SMidiPortNames& names,
                                 SOutput*& found) {
  CMidiBackEnd* backEnd = nullptr;
  std::string key;
  {
    std::lock_guard registryLock(mRegistryMutex);
    const SEndpoint* endpoint = FindPresent(destination);
    if (endpoint == nullptr || endpoint->direction != EMidiDirection::Destination) {
      return kMIDIUnknownEndpointErr;
    }
    backEnd = endpoint->backEnd;
    key = endpoint->key;
  }
  const OutputKey outputKey{destination, names.client, names.port};
  SOutput& output = mOutputs[outputKey];
  if (!output.link || output.endpointKey != key) {
    output.link.reset();
    // A port sends to one destination at a time: its way to any other is closed first.
    std::erase_if(mOutputs, [&](const auto& entry) {
      return entry.first != outputKey && std::get<1>(entry.first) == names.client &&
             std::get<2>(entry.first) == names.port;
    });
    const OSStatus status = backEnd->OpenOutput(key, names, output.link);
    if (status != kMIDINoErr) {
      mOutputs.erase(outputKey);
      return status;
    }
    output.endpointKey = key;
  }
  found = &output;
  return kMIDINoErr;
}

void CMidiSystem::EnqueueSysex(const CMidiClient* client, MIDISysexSendRequest& request,
                               SMidiPortNames names) {
  mSysexSender->Enqueue(client, request, std::move(names));
}

void CMidiSystem::CancelSysex(const CMidiClient* client) { mSysexSender->CancelOwner(client); }

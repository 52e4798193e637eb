#include "midi/platform/CJackBackEnd.h"

#include "midi/platform/CJackClient.h"
#include "midi/platform/CJackMidiPort.h"
#include "midi/platform/CMidiErrorRelay.h"

#include <algorithm>

namespace {

// A port of ours, removed from the client with the link that holds it.
class CPortHold {
 public:
  CPortHold(CJackClient& client, CJackMidiPort& port) : mClient(client), mPort(port) {}
  CPortHold(const CPortHold&) = delete;
  CPortHold& operator=(const CPortHold&) = delete;
  ~CPortHold() { mClient.RemovePort(&mPort); }
  CJackMidiPort& Port() const { return mPort; }

 private:
  CJackClient& mClient;
  CJackMidiPort& mPort;
};

class CJackInputLink final : public CMidiInputLink {
 public:
  CJackInputLink(CJackClient& client, CJackMidiPort& port) : mHold(client, port) {}

 private:
  CPortHold mHold;
};

class CJackOutputLink final : public CMidiOutputLink {
 public:
  CJackOutputLink(CJackClient& client, CJackMidiPort& port) : mHold(client, port) {}
  OSStatus SendMessage(std::span<const std::uint8_t> message) override {
    return mHold.Port().Queue(message);
  }
  bool WaitUntilSent(std::chrono::steady_clock::time_point deadline) override {
    return mHold.Port().WaitUntilSent(deadline);
  }

 private:
  CPortHold mHold;
};

}  // namespace

std::unique_ptr<CJackBackEnd> CJackBackEnd::Open(const std::string& clientName,
                                                 CMidiErrorRelay& errors, bool reportAbsence) {
  auto client = CJackClient::Open(clientName, errors);
  if (!client) {
    if (reportAbsence) errors.Report("No JACK server is running.");
    return nullptr;
  }
  return std::unique_ptr<CJackBackEnd>(new CJackBackEnd(std::move(client), clientName, errors));
}

CJackBackEnd::CJackBackEnd(std::unique_ptr<CJackClient> client, std::string clientName,
                           CMidiErrorRelay& errors)
    : mClientName(std::move(clientName)), mErrors(errors), mCounter(client.get()) {
  mClients.push_back(std::move(client));
}

CJackBackEnd::~CJackBackEnd() = default;

void CJackBackEnd::ListEndpoints(EMidiDirection direction, std::vector<SMidiEndpointInfo>& out) {
  std::lock_guard lock(mClientsMutex);
  for (std::string& name : mClients.front()->ListPorts(direction)) {
    if (!IsOurs(name)) out.push_back({name, name});
  }
}

bool CJackBackEnd::IsOurs(const std::string& fullName) const {
  return std::ranges::any_of(mClients, [&](const auto& client) { return client->Owns(fullName); });
}

OSStatus CJackBackEnd::AddPort(const std::string& name, CMidiPacketSink* sink,
                               CJackClient*& client, CJackMidiPort*& port) {
  std::lock_guard lock(mClientsMutex);
  const auto free = std::ranges::find_if(
      mClients, [&](const auto& candidate) { return !candidate->HasPort(name); });
  if (free != mClients.end()) {
    client = free->get();
  } else {
    auto opened = CJackClient::Open(mClientName, mErrors);
    if (!opened) return kMIDIPortOpenErr;
    client = opened.get();
    mClients.push_back(std::move(opened));
  }
  return client->AddPort(name, sink, port);
}

OSStatus CJackBackEnd::OpenInput(const std::string& key, const SMidiPortNames& names,
                                 CMidiPacketSink& sink, std::unique_ptr<CMidiInputLink>& link) {
  return MakeLink<CJackInputLink>(names, &sink, &key, link);
}

OSStatus CJackBackEnd::OpenOutput(const std::string& key, const SMidiPortNames& names,
                                  std::unique_ptr<CMidiOutputLink>& link) {
  return MakeLink<CJackOutputLink>(names, nullptr, &key, link);
}

OSStatus CJackBackEnd::PublishDestination(const SMidiPortNames& names, CMidiPacketSink& sink,
                                          std::unique_ptr<CMidiInputLink>& link) {
  return MakeLink<CJackInputLink>(names, &sink, nullptr, link);
}

OSStatus CJackBackEnd::PublishSource(const SMidiPortNames& names,
                                     std::unique_ptr<CMidiOutputLink>& link) {
  return MakeLink<CJackOutputLink>(names, nullptr, nullptr, link);
}

std::uint32_t CJackBackEnd::GetDropoutCount() const { return mCounter->GetXrunCount(); }

template <typename Link, typename BaseLink>
OSStatus CJackBackEnd::MakeLink(const SMidiPortNames& names, CMidiPacketSink* sink,
                                const std::string* key, std::unique_ptr<BaseLink>& link) {
  CJackClient* client = nullptr;
  CJackMidiPort* port = nullptr;
  OSStatus status = AddPort(names.port, sink, client, port);
  if (status != kMIDINoErr) return status;
  auto made = std::make_unique<Link>(*client, *port);
  if (key != nullptr) status = client->Connect(*port, *key);
  if (status == kMIDINoErr) link = std::move(made);
  return status;
}

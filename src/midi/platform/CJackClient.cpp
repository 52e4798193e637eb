#include "midi/platform/CJackClient.h"

#include "midi/platform/CJackMidiPort.h"
#include "midi/platform/CMidiErrorRelay.h"

#include <chrono>
#include <cerrno>
#include <new>

namespace {

// A connection joins the graph, and a removed port leaves it, within a cycle or two; this is
// how long a very slow server may take.
constexpr auto kGraphWait = std::chrono::seconds(5);

// JACK's library prints to stderr when no server answers; opening keeps quiet.
void SilentJackMessage(const char* /*message*/) {}

struct SJackPortNames {
  const char** names;
  ~SJackPortNames() {
    if (names != nullptr) jack_free(static_cast<void*>(names));
  }
};

}  // namespace

std::unique_ptr<CJackClient> CJackClient::Open(const std::string& name, CMidiErrorRelay& errors) {
  auto* const savedError = jack_error_callback;
  auto* const savedInfo = jack_info_callback;
  jack_set_error_function(SilentJackMessage);
  jack_set_info_function(SilentJackMessage);
  jack_status_t status{};
  jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
  jack_set_error_function(savedError);
  jack_set_info_function(savedInfo);
  if (client == nullptr) return nullptr;

  std::unique_ptr<CJackClient> opened(new CJackClient(client, errors));
  jack_set_process_callback(client, OnProcess, opened.get());
  jack_set_xrun_callback(client, OnXrun, opened.get());
  jack_on_shutdown(client, OnShutdown, opened.get());
  return opened;
}

CJackClient::CJackClient(jack_client_t* client, CMidiErrorRelay& errors)
    : mClient(client), mErrors(errors) {}

CJackClient::~CJackClient() {
  jack_client_close(mClient);  // stops the process thread first
}

std::string CJackClient::GetName() const { return jack_get_client_name(mClient); }

std::vector<std::string> CJackClient::ListPorts(EMidiDirection direction) const {
  std::vector<std::string> out;
  if (mShutDown.load()) return out;
  const unsigned long flags =
      direction == EMidiDirection::Source ? JackPortIsOutput : JackPortIsInput;
  const SJackPortNames ports{jack_get_ports(mClient, nullptr, JACK_DEFAULT_MIDI_TYPE, flags)};
  for (const char** name = ports.names; name != nullptr && *name != nullptr; ++name) {
    if (!Owns(*name)) out.emplace_back(*name);
  }
  return out;
}

bool CJackClient::Owns(const std::string& fullName) const {
  const jack_port_t* port = jack_port_by_name(mClient, fullName.c_str());
  return port != nullptr && jack_port_is_mine(mClient, port);
}

bool CJackClient::HasPort(const std::string& name) const { return Owns(GetName() + ":" + name); }

OSStatus CJackClient::AddPort(const std::string& name, CMidiPacketSink* sink,
                              CJackMidiPort*& port) {
  port = nullptr;
  std::lock_guard lock(mPortsMutex);
  std::size_t slot = 0;
  while (slot < kMaxPorts && mOwned[slot] != nullptr) ++slot;
  if (slot == kMaxPorts) return kMIDIPortOpenErr;
  if (!Activate()) return kMIDIPortOpenErr;
  const unsigned long flags = sink != nullptr ? JackPortIsInput : JackPortIsOutput;
  jack_port_t* handle =
      jack_port_register(mClient, name.c_str(), JACK_DEFAULT_MIDI_TYPE, flags, 0);
  if (handle == nullptr) return kMIDIPortOpenErr;
  try {
    mOwned[slot] = std::make_unique<CJackMidiPort>(handle, sink, mCycles);
  } catch (const std::bad_alloc&) {
    jack_port_unregister(mClient, handle);
    return kMIDIPortOpenErr;
  }
  port = mOwned[slot].get();
  mLive[slot].store(port);
  return kMIDINoErr;
}

bool CJackClient::Activate() {
  if (mActive) return true;
  mActive = jack_activate(mClient) == 0;
  if (!mActive) mErrors.Report("The JACK server did not let client \"" + GetName() + "\" run.");
  return mActive;
}

void CJackClient::RemovePort(CJackMidiPort* port) {
  std::lock_guard lock(mPortsMutex);
  std::size_t slot = 0;
  while (slot < kMaxPorts && mOwned[slot].get() != port) ++slot;
  if (slot == kMaxPorts || port == nullptr) return;
  mLive[slot].store(nullptr);
  // A cycle that began before the slot was cleared may still use the port; later ones do not.
  const std::uint64_t begun = mCycles.GetBegun();
  if (!WaitFor([&] { return mCycles.GetEnded() >= begun; })) {
    mRetired.push_back(std::move(mOwned[slot]));
    return;
  }
  jack_port_unregister(mClient, port->GetHandle());
  mOwned[slot].reset();
}

OSStatus CJackClient::Connect(CJackMidiPort& port, const std::string& other) {
  jack_port_t* handle = port.GetHandle();
  const char* ours = jack_port_name(handle);
  const bool sends = (jack_port_flags(handle) & JackPortIsOutput) != 0;
  const int result = sends ? jack_connect(mClient, ours, other.c_str())
                           : jack_connect(mClient, other.c_str(), ours);
  if (result != 0 && result != EEXIST) return kMIDIPortOpenErr;
  // The server takes a new connection into its graph as a cycle begins; asked before that,
  // libjack sleeps for more than a whole period.
  const std::uint64_t begun = mCycles.GetBegun();
  WaitFor([&] { return mCycles.GetBegun() > begun; });
  const bool joined = WaitFor([&] { return jack_port_connected_to(handle, other.c_str()) != 0; });
  return joined ? kMIDINoErr : kMIDIPortOpenErr;
}

bool CJackClient::WaitFor(const auto& done) {
  return mCycles.WaitFor(done, std::chrono::steady_clock::now() + kGraphWait);
}

// runs on the MIDI thread
int CJackClient::OnProcess(jack_nframes_t frames, void* self) noexcept {
  auto& client = *static_cast<CJackClient*>(self);
  client.mCycles.BeginCycle();
  for (auto& slot : client.mLive) {
    if (CJackMidiPort* port = slot.load()) port->Process(frames);
  }
  client.mCycles.EndCycle();
  return 0;
}

int CJackClient::OnXrun(void* self) noexcept {
  static_cast<CJackClient*>(self)->mXruns.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

void CJackClient::OnShutdown(void* self) noexcept {
  auto& client = *static_cast<CJackClient*>(self);
  client.mShutDown.store(true);
  client.mCycles.Stop();
  client.mErrors.Report("The JACK server has shut down.");
}

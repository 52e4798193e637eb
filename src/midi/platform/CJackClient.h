// A JACK client of ours: it lists the MIDI ports, carries MIDI ports of ours (as many as there
// are connections and published ports, so that the server runs one client per cycle and
// patchbays show one), and counts the cycles the server reports as dropped (xruns), during
// which MIDI in flight may have been lost.
//
// The client runs (takes part in the server's cycles) from its first port on: one that only
// lists costs the server nothing, and opens and closes at once.
//
// Threads: the process callback runs on JACK's process thread and only walks a fixed table of
// port slots (atomic pointers). Ports are added, connected and removed on other threads, one at
// a time; a removed port is freed only once no cycle can still be using it. The xrun and
// shutdown callbacks run on JACK's notification thread and only count and set flags.
#pragma once

#include "midi/platform/CJackCycleCounter.h"
#include "midi/platform/MIDITypes.h"

#include <jack/jack.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CJackMidiPort;
class CMidiErrorRelay;
class CMidiPacketSink;

class CJackClient {
 public:
  static constexpr std::size_t kMaxPorts = 32;

  // Null when no JACK server answers (JACK_DEFAULT_SERVER names it); none is started. JACK
  // adds "-01" and so on to a name another client has.
  static std::unique_ptr<CJackClient> Open(const std::string& name, CMidiErrorRelay& errors);
  CJackClient(const CJackClient&) = delete;
  CJackClient& operator=(const CJackClient&) = delete;
  ~CJackClient();  // closes the client, with the ports still there

  std::string GetName() const;
  std::uint32_t GetXrunCount() const { return mXruns.load(std::memory_order_relaxed); }

  // Full names ("client:port") of the MIDI ports that send (sources) or receive
  // (destinations), in JACK's order, without this client's own.
  std::vector<std::string> ListPorts(EMidiDirection direction) const;
  // Whether the port with that full name is one of this client's.
  bool Owns(const std::string& fullName) const;
  // Whether this client has a port with that short name (JACK wants them unique per client).
  bool HasPort(const std::string& name) const;

  // A port of ours named `name`: an input that delivers to `sink`, or without a sink an output.
  // The first one sets the client running.
  OSStatus AddPort(const std::string& name, CMidiPacketSink* sink, CJackMidiPort*& port);
  // Once this returns, the process thread no longer touches the port.
  void RemovePort(CJackMidiPort* port);
  // Connects our port with another client's port and returns once the connection is part of
  // the graph the server runs, so that nothing sent next is lost on the way.
  OSStatus Connect(CJackMidiPort& port, const std::string& other);

 private:
  CJackClient(jack_client_t* client, CMidiErrorRelay& errors);
  bool WaitFor(const auto& done);
  bool Activate();  // with mPortsMutex held

  static int OnProcess(jack_nframes_t frames, void* self) noexcept;
  static int OnXrun(void* self) noexcept;
  static void OnShutdown(void* self) noexcept;

  jack_client_t* mClient;
  CMidiErrorRelay& mErrors;
  std::atomic<std::uint32_t> mXruns{0};
  std::atomic<bool> mShutDown{false};
  // Cycles begun and ended: a removed port may still be in use by the cycle under way, and
  // what an output port queued is out once its cycle has ended.
  CJackCycleCounter mCycles;

  std::mutex mPortsMutex;  // adding and removing ports
  bool mActive = false;
  std::array<std::atomic<CJackMidiPort*>, kMaxPorts> mLive{};  // what the process thread sees
  std::array<std::unique_ptr<CJackMidiPort>, kMaxPorts> mOwned;
  // Ports removed while no cycle ran to prove them unused: freed once the client is closed.
  std::vector<std::unique_ptr<CJackMidiPort>> mRetired;
};

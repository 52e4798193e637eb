// The MIDI system as the program sees it: the sources and destinations present now, each with
// a name and a unique ID that stays the same for the same device across runs and re-plugging;
// the clients with their ports; SysEx sending in the background; setup-change notifications.
//
// Back ends: ALSA through RtMidi or JACK through its own API (whichever can be used), and a
// built-in device that is always there when the options give its behaviour. Without ALSA and
// JACK the system still works, with the built-in device alone. On JACK the whole system is one
// JACK client, and the server's dropped cycles are counted (GetDropoutCount).
//
// Threads: everything here runs on the main thread (the one that made the system, or the one
// that adopted it), except the read procedures of input
// ports (on MIDI threads) and the SysEx sends (on a sender thread of its own). ALSA and JACK
// tell nothing of new or vanished ports, so Poll() compares the lists about once a second
// and notifies the clients when they changed; call it often from the main thread.
//
// Errors of the MIDI systems go to the error handler (on the main thread) and are never thrown.
// The handler may be called from inside a call into the system: it must not call back into it.
#pragma once

#include "midi/platform/CMidiBackEnd.h"
#include "midi/platform/CMidiErrorRelay.h"
#include "midi/platform/MIDITypes.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

class CMidiClient;
class CMidiDeviceModel;
class CMidiPacketSink;
class CMidiSysexSender;

enum class EMidiSystemChoice { Automatic, Alsa, Jack, None };

class CMidiSystem {
 public:
  using DeviceFactory = std::function<std::unique_ptr<CMidiDeviceModel>()>;

  struct Options {
    // Automatic: the ALSA sequencer when it can be opened, otherwise a running JACK server,
    // otherwise none. The environment variable KVX_MIDI_SYSTEM (alsa, jack or none) overrides
    // Automatic.
    EMidiSystemChoice system = EMidiSystemChoice::Automatic;
    // The built-in device's behaviour; without it there is no built-in device.
    DeviceFactory builtInDevice;
    // The name of the program's one JACK client, which lists, sends and receives; give it the
    // name of the program's own client (CreateClient), whose ports it carries.
    std::string clientName = "KVX Editor";
    // The name of the port-less ALSA clients that list the ports.
    std::string listerClientName = "KVX port lister";
    // One more back end, listed after the others (tests give a scripted one).
    std::function<std::unique_ptr<CMidiBackEnd>()> additionalBackEnd;
    // Receives the errors of the MIDI systems, those of start-up included (main thread).
    CMidiErrorRelay::Handler errorHandler;
  };

  static constexpr const char* kBuiltInDeviceName = "KVX Virtual Device (built-in)";
  static constexpr std::uint32_t kSetupPollTicks = 60;

  explicit CMidiSystem(Options options);
  CMidiSystem(const CMidiSystem&) = delete;
  CMidiSystem& operator=(const CMidiSystem&) = delete;
  ~CMidiSystem();  // every client must be gone

  // Makes the calling thread the system's main thread. Opening ALSA or JACK takes a few
  // milliseconds, which a program may let pass on another thread while it starts; the thread
  // that takes the system over calls this first. Nothing may use the system meanwhile.
  void AdoptCallingThread() noexcept { mErrors.AdoptCallingThread(); }

  // "ALSA" or "JACK", or empty when only the built-in device is there.
  std::string GetSystemName() const;

  OSStatus CreateClient(std::string_view name, MIDINotifyProc notifyProc, void* refCon,
                        std::unique_ptr<CMidiClient>& client);

  // The endpoints present, in a fixed order: those of ALSA or JACK, then the built-in device
  // (then the additional back end's). An index outside the list gives 0.
  std::size_t GetNumberOfSources() const { return mSources.size(); }
  MIDIEndpointRef GetSource(std::size_t index) const;
  std::size_t GetNumberOfDestinations() const { return mDestinations.size(); }
  MIDIEndpointRef GetDestination(std::size_t index) const;

  OSStatus GetUniqueID(MIDIEndpointRef endpoint, MIDIUniqueID& uniqueID) const;
  OSStatus GetName(MIDIEndpointRef endpoint, std::string& name) const;  // UTF-8

  // Call often on the main thread: hands on errors from other threads and, every
  // kSetupPollTicks ticks, checks the setup.
  void Poll();
  // Lists the endpoints now; when the lists changed, tells every client (kMIDIMsgSetupChanged)
  // and returns true.
  bool CheckSetup();

  void SetErrorHandler(CMidiErrorRelay::Handler handler) { mErrors.SetHandler(std::move(handler)); }
  const std::string& GetLastError() const { return mErrors.GetLastError(); }

  // Waits until what was sent through each way out has reached the receivers (on JACK: out
  // of the port's ring and a cycle further), at most `timeout` in all. Ways out that sent
  // nothing since the last wait are not waited for, so this returns at once when nothing was
  // sent. False when the time ran out. SysEx requests not yet sent are not waited for.
  bool WaitUntilSent(std::chrono::milliseconds timeout);

  // While held, SysEx requests wait unsent (for tests and diagnosis).
  void HoldSysexSends(bool held);

  // How many cycles the MIDI server (JACK) has reported dropping since the system was made:
  // messages in flight then may not have arrived. 0 on ALSA, which does not tell. Any thread.
  std::uint32_t GetDropoutCount() const;

 private:
  friend class CMidiClient;
  friend class CMidiInputPort;
  friend class CMidiOutputPort;

  struct SEndpoint {
    MIDIEndpointRef ref = 0;
    EMidiDirection direction = EMidiDirection::Source;
    CMidiBackEnd* backEnd = nullptr;
    std::string key;
    std::string displayName;
    MIDIUniqueID uniqueID = 0;
    bool present = false;
  };
  using OutputKey = std::tuple<MIDIEndpointRef, std::string, std::string>;  // and our names
  struct SOutput {
    std::string endpointKey;  // the back end's key when the link was opened
    std::unique_ptr<CMidiOutputLink> link;
    bool sentSinceWait = false;  // something went out since the last WaitUntilSent
  };

  void OpenBackEnds(const Options& options);
  bool RefreshEndpoints();
  std::vector<MIDIEndpointRef> ListDirection(EMidiDirection direction);
  MIDIEndpointRef Register(EMidiDirection direction, CMidiBackEnd* backEnd,
                           const SMidiEndpointInfo& info, const std::string& stableName,
                           MIDIUniqueID uniqueID);
  const SEndpoint* FindPresent(MIDIEndpointRef endpoint) const;
  bool IsDestination(MIDIEndpointRef endpoint) const;
  void DropVanishedOutputs();
  CMidiBackEnd* PublishingBackEnd() const;

  // For clients and ports.
  void AddClient(CMidiClient* client);
  void RemoveClient(CMidiClient* client);
  void AddOwnPort(const std::string& clientName, const std::string& portName);
  OSStatus OpenInput(MIDIEndpointRef source, const SMidiPortNames& names, CMidiPacketSink& sink,
                     std::unique_ptr<CMidiInputLink>& link);
  // Opens the way from our port `names` to `destination` now; one destination per port.
  OSStatus OpenOutput(MIDIEndpointRef destination, const SMidiPortNames& names);
  OSStatus Send(MIDIEndpointRef destination, const SMidiPortNames& names,
                std::span<const std::uint8_t> bytes);
  // With mSendMutex held: the output with its open link, or the status of opening it.
  OSStatus FindOutput(MIDIEndpointRef destination, const SMidiPortNames& names,
                      SOutput*& found);
  void EnqueueSysex(const CMidiClient* client, MIDISysexSendRequest& request,
                    SMidiPortNames names);
  void CancelSysex(const CMidiClient* client);

  CMidiErrorRelay mErrors;
  std::vector<std::unique_ptr<CMidiBackEnd>> mBackEnds;  // the MIDI system's first
  CMidiBackEnd* mSystemBackEnd = nullptr;

  mutable std::mutex mRegistryMutex;  // the sender thread reads the endpoints too
  std::vector<SEndpoint> mEndpoints;  // every endpoint seen in this run; ref = index + 1
  std::vector<MIDIEndpointRef> mSources;
  std::vector<MIDIEndpointRef> mDestinations;
  std::set<std::string> mOwnPorts;  // stable names of our clients' ports: never listed

  std::vector<CMidiClient*> mClients;
  std::uint32_t mLastSetupCheck = 0;

  std::mutex mSendMutex;  // main thread and sender thread
  std::map<OutputKey, SOutput> mOutputs;

  std::unique_ptr<CMidiSysexSender> mSysexSender;  // last: stops first
};

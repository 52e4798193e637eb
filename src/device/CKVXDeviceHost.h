// Runs a CKVXDevice on a real MIDI system (ALSA or JACK): a destination and a source that
// other programs see under the device's name. The MIDI thread only copies what arrives into a
// ring; the host's own thread takes it out, lets the device answer, and sends what falls due.
#pragma once

#include "midi/platform/CMidiMessageRing.h"
#include "midi/platform/MIDITypes.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CKVXDevice;
class CMidiClient;
class CMidiPublishedDestination;
class CMidiPublishedSource;
class CMidiSystem;

class CKVXDeviceHost {
 public:
  using LogFn = std::function<void(const std::string& line)>;

  static constexpr std::size_t kRingBytes = 64 * 1024;

  CKVXDeviceHost(CMidiSystem& system, CKVXDevice& device, LogFn log);
  ~CKVXDeviceHost();

  // Publishes a client, a destination and a source, all named `name`.
  OSStatus Open(const std::string& name);

  // One turn at tick `now`: what arrived goes to the device, what is due goes out.
  void RunTurn(std::uint32_t now);

  // Turns (with the MIDI system's polling) until `stop` is set, resting a little between.
  void Run(const std::atomic<bool>& stop);

 private:
  // Runs on the MIDI thread: copies into the ring only.
  static void ReadProc(const MIDIPacketList* list, void* readRefCon, void* srcConnRefCon);
  void ReportLostInput();

  CMidiSystem& mSystem;
  CKVXDevice& mDevice;
  LogFn mLog;
  CMidiMessageRing mRing{kRingBytes};
  std::size_t mReportedLost = 0;
  std::vector<std::uint8_t> mIncoming;
  std::vector<std::uint8_t> mOutgoing;
  std::unique_ptr<CMidiClient> mClient;
  CMidiPublishedSource* mSource = nullptr;
  CMidiPublishedDestination* mDestination = nullptr;
};

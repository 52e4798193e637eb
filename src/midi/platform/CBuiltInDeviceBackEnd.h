// The built-in device: one source and one destination named "KVX Virtual Device (built-in)",
// present whatever MIDI system there is. What is sent to the destination goes to the device
// model; what the model sends comes out of the source. The model runs on a thread of its own,
// which also delivers its messages to the connected input ports, paced by the tick count
// (TickCount, which tests may replace before the back end is made).
#pragma once

#include "midi/platform/CMidiBackEnd.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CMidiDeviceModel;
class CMidiErrorRelay;

class CBuiltInDeviceBackEnd final : public CMidiBackEnd {
 public:
  static constexpr const char* kEndpointName = "KVX Virtual Device (built-in)";

  CBuiltInDeviceBackEnd(std::unique_ptr<CMidiDeviceModel> model, CMidiErrorRelay& errors);
  ~CBuiltInDeviceBackEnd() override;  // stops the device thread

  std::string GetName() const override { return "built-in"; }
  void ListEndpoints(EMidiDirection direction, std::vector<SMidiEndpointInfo>& out) override;
  OSStatus OpenInput(const std::string& key, const SMidiPortNames& names, CMidiPacketSink& sink,
                     std::unique_ptr<CMidiInputLink>& link) override;
  OSStatus OpenOutput(const std::string& key, const SMidiPortNames& names,
                      std::unique_ptr<CMidiOutputLink>& link) override;

 private:
  class CInputLink;
  class COutputLink;

  void Post(std::span<const std::uint8_t> bytes);
  void Attach(CMidiPacketSink* sink);
  void Detach(CMidiPacketSink* sink);
  void Run() noexcept;
  void RunTurns();
  void DeliverToListeners(const std::vector<std::uint8_t>& message);

  std::unique_ptr<CMidiDeviceModel> mModel;
  CMidiErrorRelay& mErrors;

  std::mutex mInboxMutex;
  std::condition_variable mWake;
  std::deque<std::vector<std::uint8_t>> mInbox;
  bool mStop = false;

  std::mutex mListenersMutex;  // held while delivering, so a detached sink is never called
  std::vector<CMidiPacketSink*> mListeners;

  std::thread mThread;  // last: starts when everything above exists
};

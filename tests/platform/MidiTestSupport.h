// Test helpers for the MIDI system layer: a scripted back end whose endpoints the test sets,
// a device model that echoes, a read procedure that hands packets to the test thread through
// a ring, and waiting for something another thread does.
#pragma once

#include "midi/platform/CMidiBackEnd.h"
#include "midi/platform/CMidiDeviceModel.h"
#include "midi/platform/CMidiMessageRing.h"
#include "midi/platform/CMidiPacketSink.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kvxtest {

using Bytes = std::vector<std::uint8_t>;

// Waits up to a few seconds for another thread; false when it did not happen.
inline bool WaitUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// What a scripted back end shows and what it was asked to do.
struct SScript {
  std::mutex mutex;  // the sender thread sends too
  std::vector<SMidiEndpointInfo> sources;
  std::vector<SMidiEndpointInfo> destinations;
  std::vector<std::pair<std::string, Bytes>> sent;  // destination key, message
  std::vector<std::string> openedOutputs;
  int liveOutputs = 0;  // opened and not yet closed
  std::atomic<std::uint32_t> dropouts{0};
  std::map<std::string, CMidiPacketSink*> inputs;
  OSStatus outputStatus = 0;
  // With holdSent, each message sent stays in flight (as in a JACK port's ring) until the
  // test lets it out by setting inFlight back; WaitUntilSent waits for that.
  bool holdSent = false;
  std::atomic<int> inFlight{0};
  std::atomic<int> sentWaits{0};  // calls of the output links' WaitUntilSent

  std::vector<std::pair<std::string, Bytes>> Sent() {
    std::lock_guard lock(mutex);
    return sent;
  }
};

class CScriptedBackEnd final : public CMidiBackEnd {
 public:
  explicit CScriptedBackEnd(std::shared_ptr<SScript> script) : mScript(std::move(script)) {}

  std::string GetName() const override { return "scripted"; }
  void ListEndpoints(EMidiDirection direction, std::vector<SMidiEndpointInfo>& out) override {
    std::lock_guard lock(mScript->mutex);
    const auto& list =
        direction == EMidiDirection::Source ? mScript->sources : mScript->destinations;
    out.insert(out.end(), list.begin(), list.end());
  }
  OSStatus OpenInput(const std::string& key, const SMidiPortNames&, CMidiPacketSink& sink,
                     std::unique_ptr<CMidiInputLink>& link) override {
    std::lock_guard lock(mScript->mutex);
    mScript->inputs[key] = &sink;
    link = std::make_unique<CInputLink>(mScript, key);
    return 0;
  }
  OSStatus OpenOutput(const std::string& key, const SMidiPortNames& names,
                      std::unique_ptr<CMidiOutputLink>& link) override {
    std::lock_guard lock(mScript->mutex);
    if (mScript->outputStatus != 0) return mScript->outputStatus;
    mScript->openedOutputs.push_back(key + " as " + names.client + ":" + names.port);
    ++mScript->liveOutputs;
    link = std::make_unique<COutputLink>(mScript, key);
    return 0;
  }
  std::uint32_t GetDropoutCount() const override { return mScript->dropouts.load(); }

 private:
  struct CInputLink final : CMidiInputLink {
    CInputLink(std::shared_ptr<SScript> script, std::string key)
        : script(std::move(script)), key(std::move(key)) {}
    ~CInputLink() override {
      std::lock_guard lock(script->mutex);
      script->inputs.erase(key);
    }
    std::shared_ptr<SScript> script;
    std::string key;
  };
  struct COutputLink final : CMidiOutputLink {
    COutputLink(std::shared_ptr<SScript> script, std::string key)
        : script(std::move(script)), key(std::move(key)) {}
    ~COutputLink() override {
      std::lock_guard lock(script->mutex);
      --script->liveOutputs;
    }
    OSStatus SendMessage(std::span<const std::uint8_t> message) override {
      std::lock_guard lock(script->mutex);
      script->sent.emplace_back(key, Bytes(message.begin(), message.end()));
      if (script->holdSent) ++script->inFlight;
      return 0;
    }
    bool WaitUntilSent(std::chrono::steady_clock::time_point deadline) override {
      ++script->sentWaits;
      while (script->inFlight.load() > 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      return true;
    }
    std::shared_ptr<SScript> script;
    std::string key;
  };

  std::shared_ptr<SScript> mScript;
};

// Sends back whatever it is sent, at once.
class CEchoModel final : public CMidiDeviceModel {
 public:
  void ReceiveMidi(std::span<const std::uint8_t> bytes, std::uint32_t) override {
    mPending.emplace_back(bytes.begin(), bytes.end());
  }
  std::optional<std::uint32_t> NextDueTick() const override {
    if (mPending.empty()) return std::nullopt;
    return 0;
  }
  bool TakeDueMessage(std::uint32_t, std::vector<std::uint8_t>& out) override {
    if (mPending.empty()) return false;
    out = std::move(mPending.front());
    mPending.pop_front();
    return true;
  }

 private:
  std::deque<Bytes> mPending;
};

// The read procedure's end: packets go into a ring (real-time safe), with a note of whether
// any came on the main thread.
struct SReceiver {
  explicit SReceiver(std::thread::id mainThread) : mainThread(mainThread) {}

  static void ReadProc(const MIDIPacketList* list, void* readRefCon, void* connRefCon) {
    auto* receiver = static_cast<SReceiver*>(readRefCon);
    if (std::this_thread::get_id() == receiver->mainThread) receiver->onMainThread = true;
    receiver->lastConnRefCon = connRefCon;
    const MIDIPacket* packet = &list->packet[0];
    for (std::uint32_t i = 0; i < list->numPackets; ++i, packet = MIDIPacketNext(packet)) {
      receiver->ring.Push(packet->data, packet->length);
      receiver->packets.fetch_add(1);
    }
  }

  std::vector<Bytes> Drain() {
    std::vector<Bytes> out;
    Bytes message;
    while (ring.Pop(message)) out.push_back(message);
    return out;
  }

  std::thread::id mainThread;
  CMidiMessageRing ring{1 << 16};
  std::atomic<int> packets{0};
  std::atomic<bool> onMainThread{false};
  std::atomic<void*> lastConnRefCon{nullptr};
};

}  // namespace kvxtest

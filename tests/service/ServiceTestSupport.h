// Helpers for the system MIDI service's tests: a service over a scripted MIDI system, a tick
// clock the test moves by hand, preference data set and read as text, a watcher that records
// what it hears, and a queue that records every insertion.
#pragma once

#include "framework/core/TickCount.h"
#include "midi/CMidiInQueue.h"
#include "midi/CMidiSystemWatcher.h"
#include "midi/MidiTestSupport.h"
#include "midi/platform/CMidiSystem.h"
#include "midi/service/COSXMidiService.h"
#include "platform/MidiTestSupport.h"
#include "utilities/UPreference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kvxtest {

// The preference data as text, and set from text.
inline std::string PreferenceText() {
  const auto bytes = UPreference::GetBytes();
  return std::string(bytes.begin(), bytes.end());
}

inline void SetPreferenceText(const std::string& text) {
  UPreference::CleanUp();
  if (!text.empty()) {
    ASSERT_TRUE(UPreference::Insert(0, text.data(), static_cast<std::int32_t>(text.size())));
  }
}

class CRecordingWatcher final : public CMidiSystemWatcher {
 public:
  void ReceiveSystemMessage(OSType classID, long message, void*) override {
    heard.emplace_back(classID, message);
  }
  std::vector<std::pair<OSType, long>> heard;
};

struct SInsertion {
  std::size_t length = 0;
  unsigned flags = 0;
  bool operator==(const SInsertion&) const = default;
};

// Records the length and position flags of every insertion, then stores it.
class CRecordingQueue final : public CMidiInQueue {
 public:
  CRecordingQueue() {
    AllocateQueue(2048);
    AllocateMsgBuffer(256);
    SetMidiInHandler(&handler);
    StartQueueWatching();
  }
  void InsertQueue(const unsigned char* data, unsigned char length,
                   unsigned char flags) noexcept override {
    insertions.push_back({length, flags});  // the tests insert from their own thread
    CMidiInQueue::InsertQueue(data, length, flags);
  }
  std::vector<Bytes> TakeMessages() {
    CheckQueueMessage(1000);
    return handler.Messages();
  }

  CRecordingHandler handler;
  std::vector<SInsertion> insertions;
};

inline MIDIPacketList PacketList(const std::vector<Bytes>& packets) {
  MIDIPacketList list;
  list.numPackets = static_cast<std::uint32_t>(packets.size());
  for (std::size_t i = 0; i < packets.size(); ++i) {
    list.packet[i].length = static_cast<std::uint16_t>(packets[i].size());
    std::copy(packets[i].begin(), packets[i].end(), list.packet[i].data);
  }
  return list;
}

// A service over a MIDI system with one scripted back end; the class-wide MIDI tables hold one
// in-port and one out-port, the preference data starts empty, and the tick clock stands at
// mNow, moving by mStep at every reading.
class ServiceTest : public ::testing::Test {
 protected:
  ServiceTest() {
    UPreference::CleanUp();
    mScript->sources = {
        {"a", "Dev A:Dev A 128:0"}, {"b", "Dev B:Dev B 129:0"}, {"c", "Dev C:Dev C 130:0"}};
    mScript->destinations = {{"a", "Dev A:Dev A 128:0"}, {"b", "Dev B:Dev B 129:0"}};
  }
  ~ServiceTest() override {
    mService.reset();
    UPreference::CleanUp();
  }

  static CMidiSystem::Options ScriptedOptions(const std::shared_ptr<SScript>& script) {
    CMidiSystem::Options options;
    options.system = EMidiSystemChoice::None;
    options.additionalBackEnd = [script] { return std::make_unique<CScriptedBackEnd>(script); };
    return options;
  }

  // The system is made at first use, so that a test can script the endpoints first.
  CMidiSystem& System() {
    if (!mSystem) mSystem = std::make_unique<CMidiSystem>(ScriptedOptions(mScript));
    return *mSystem;
  }
  COSXMidiService& Service() {
    if (!mService) mService = std::make_unique<COSXMidiService>(System(), 0);
    return *mService;
  }
  // A service that is set up, with the preference text loaded.
  COSXMidiService& SetUpService(const std::string& preferences = {}) {
    SetPreferenceText(preferences);
    EXPECT_EQ(Service().Setup(), 0);
    Service().LoadPreference();
    return Service();
  }

  MIDIUniqueID SourceID(std::size_t index) {
    MIDIUniqueID id = 0;
    EXPECT_EQ(System().GetUniqueID(System().GetSource(index), id), 0);
    return id;
  }
  MIDIUniqueID DestinationID(std::size_t index) {
    MIDIUniqueID id = 0;
    EXPECT_EQ(System().GetUniqueID(System().GetDestination(index), id), 0);
    return id;
  }
  std::string Settings(MIDIUniqueID source, MIDIUniqueID destination) {
    return "[MIDI Service Settings]\r\nSource 0 = " + std::to_string(source) +
           "\r\nDestination 0 = " + std::to_string(destination) + "\r\n";
  }
  // The keys of the sources connected to the service's input port.
  std::vector<std::string> ConnectedSources() {
    std::lock_guard lock(mScript->mutex);
    std::vector<std::string> keys;
    for (const auto& [key, sink] : mScript->inputs) keys.push_back(key);
    return keys;
  }
  // Delivers bytes from a connected source as the MIDI system would.
  void Deliver(const std::string& key, const Bytes& bytes) {
    CMidiPacketSink* sink = nullptr;
    {
      std::lock_guard lock(mScript->mutex);
      sink = mScript->inputs.at(key);
    }
    sink->Deliver(bytes.data(), bytes.size(), 0);
  }
  std::vector<std::pair<std::string, Bytes>> WaitForSent(std::size_t count) {
    EXPECT_TRUE(WaitUntil([&] { return mScript->Sent().size() >= count; }));
    return mScript->Sent();
  }

  std::uint32_t mNow = 1000;
  std::uint32_t mStep = 0;

 private:
  struct StClock {
    explicit StClock(ServiceTest& test) {
      UTickClock::SetSource([&test] {
        const std::uint32_t now = test.mNow;
        test.mNow += test.mStep;
        return now;
      });
    }
    ~StClock() { UTickClock::SetSource({}); }
  };
  StClock mClock{*this};
  StMidiTables mTables;

 protected:
  std::shared_ptr<SScript> mScript = std::make_shared<SScript>();
  std::unique_ptr<CMidiSystem> mSystem;
  std::unique_ptr<COSXMidiService> mService;
};

}  // namespace kvxtest

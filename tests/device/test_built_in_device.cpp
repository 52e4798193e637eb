// The built-in device inside the MIDI system layer: its own thread, real SysEx requests, the
// tick count running fast so that the 4-tick pacing costs little time.
#include "device/CKVXDevice.h"
#include "framework/core/TickCount.h"
#include "midi/platform/CMidiClient.h"
#include "midi/platform/CMidiInputPort.h"
#include "midi/platform/CMidiSystem.h"
#include "platform/MidiTestSupport.h"
#include "support/PatchTestSupport.h"
#include "support/StFastTicks.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using kvxtest::Bytes;

class BuiltInDeviceTest : public ::testing::Test {
 protected:
  BuiltInDeviceTest() : mSystem(MakeOptions()) {
    EXPECT_EQ(mSystem.CreateClient("KVX Editor", nullptr, nullptr, mClient), 0);
    EXPECT_EQ(mClient->CreateInputPort("KVX Editor Input Port", kvxtest::SReceiver::ReadProc,
                                       &mReceiver, mInput),
              0);
    EXPECT_EQ(mInput->ConnectSource(mSystem.GetSource(0), nullptr), 0);
  }

  static CMidiSystem::Options MakeOptions() {
    CMidiSystem::Options options;
    options.system = EMidiSystemChoice::None;
    options.builtInDevice = [] { return std::make_unique<CKVXDevice>(); };
    return options;
  }

  // Sends one SysEx through a request and waits until it is out.
  void SendSysex(const Bytes& message) {
    MIDISysexSendRequest request;
    request.destination = mSystem.GetDestination(0);
    request.data = message.data();
    request.bytesToSend = static_cast<std::uint32_t>(message.size());
    ASSERT_EQ(mClient->SendSysex(request), 0);
    ASSERT_TRUE(kvxtest::WaitUntil([&] { return request.complete.load(); }));
    ASSERT_EQ(request.bytesToSend, 0u);
  }

  std::vector<Bytes> Collect(std::size_t count) {
    std::vector<Bytes> messages;
    kvxtest::WaitUntil([&] {
      for (auto& message : mReceiver.Drain()) messages.push_back(std::move(message));
      return messages.size() >= count;
    });
    return messages;
  }

  kvxtest::StFastTicks mFastTicks;
  CMidiSystem mSystem;
  kvxtest::SReceiver mReceiver{std::this_thread::get_id()};
  std::unique_ptr<CMidiClient> mClient;
  CMidiInputPort* mInput = nullptr;
};

TEST_F(BuiltInDeviceTest, ATransmitRequestBringsFiftyValidDumpsInOrder) {
  SendSysex(Bytes(kBulkTransRequest, kBulkTransRequest + kBulkRequestSize));
  const auto messages = Collect(50);
  ASSERT_EQ(messages.size(), 50u);
  CPatch reader;
  for (std::size_t i = 0; i < messages.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(messages[i], kvxtest::MakeDump(static_cast<long>(i), SPatchParam{}));
    EXPECT_EQ(reader.CheckBulkSysx(messages[i].data(), static_cast<long>(messages[i].size())),
              static_cast<long>(i));
  }
  EXPECT_FALSE(mReceiver.onMainThread.load());
}

TEST_F(BuiltInDeviceTest, WhatIsSentComesBackByteForByte) {
  std::mt19937 random(5);
  std::vector<Bytes> dumps;
  SendSysex(Bytes(kBulkReceiveRequest, kBulkReceiveRequest + kBulkRequestSize));
  for (long index = 0; index < kControllerCount; ++index) {
    dumps.push_back(kvxtest::MakeDump(index, kvxtest::RandomRecord(random)));
    SendSysex(dumps.back());
  }
  SendSysex(Bytes(kBulkTransRequest, kBulkTransRequest + kBulkRequestSize));
  EXPECT_EQ(Collect(50), dumps);
}

}  // namespace

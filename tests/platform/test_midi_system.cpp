#include "MidiTestSupport.h"

#include "framework/core/TickCount.h"
#include "midi/platform/CMidiClient.h"
#include "midi/platform/CMidiInputPort.h"
#include "midi/platform/CMidiOutputPort.h"
#include "midi/platform/CMidiSystem.h"
#include "midi/platform/UMidiEndpointNames.h"

#include <gtest/gtest.h>

namespace {

using kvxtest::Bytes;
using kvxtest::SReceiver;
using kvxtest::SScript;

CMidiSystem::Options BuiltInOnly() {
  CMidiSystem::Options options;
  options.system = EMidiSystemChoice::None;
  options.builtInDevice = [] { return std::make_unique<kvxtest::CEchoModel>(); };
  return options;
}

CMidiSystem::Options ScriptedOnly(const std::shared_ptr<SScript>& script) {
  CMidiSystem::Options options;
  options.system = EMidiSystemChoice::None;
  options.additionalBackEnd = [script] { return std::make_unique<kvxtest::CScriptedBackEnd>(script); };
  return options;
}

std::vector<std::string> Names(const CMidiSystem& system, EMidiDirection direction) {
  std::vector<std::string> names;
  const bool sources = direction == EMidiDirection::Source;
  const std::size_t count = sources ? system.GetNumberOfSources() : system.GetNumberOfDestinations();
  for (std::size_t i = 0; i < count; ++i) {
    std::string name;
    EXPECT_EQ(system.GetName(sources ? system.GetSource(i) : system.GetDestination(i), name), 0);
    names.push_back(name);
  }
  return names;
}

MIDIUniqueID IDOf(const CMidiSystem& system, MIDIEndpointRef endpoint) {
  MIDIUniqueID id = 0;
  EXPECT_EQ(system.GetUniqueID(endpoint, id), 0);
  return id;
}

MIDIPacketList OnePacket(const Bytes& bytes) {
  MIDIPacketList list;
  list.numPackets = 1;
  list.packet[0].length = static_cast<std::uint16_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), list.packet[0].data);
  return list;
}

void CountNotification(const MIDINotification* notification, void* refCon) {
  if (notification->messageID == kMIDIMsgSetupChanged) ++*static_cast<int*>(refCon);
}

// --- listing

TEST(MidiSystem, WithoutAlsaOrJackTheBuiltInDeviceIsThere) {
  CMidiSystem system(BuiltInOnly());
  EXPECT_EQ(system.GetSystemName(), "");
  EXPECT_EQ(Names(system, EMidiDirection::Source),
            std::vector<std::string>{CMidiSystem::kBuiltInDeviceName});
  EXPECT_EQ(Names(system, EMidiDirection::Destination),
            std::vector<std::string>{CMidiSystem::kBuiltInDeviceName});
  EXPECT_EQ(IDOf(system, system.GetSource(0)),
            UMidiEndpointNames::MakeUniqueID(EMidiDirection::Source, CMidiSystem::kBuiltInDeviceName, 0));
  EXPECT_EQ(IDOf(system, system.GetDestination(0)),
            UMidiEndpointNames::MakeUniqueID(EMidiDirection::Destination,
                                             CMidiSystem::kBuiltInDeviceName, 0));
}

TEST(MidiSystem, ChosenAutomaticallyTheBuiltInDeviceIsListedLast) {
  CMidiSystem::Options options = BuiltInOnly();
  options.system = EMidiSystemChoice::Automatic;
  CMidiSystem system(std::move(options));
  const auto sources = Names(system, EMidiDirection::Source);
  ASSERT_FALSE(sources.empty());
  EXPECT_EQ(sources.back(), CMidiSystem::kBuiltInDeviceName);
  EXPECT_EQ(Names(system, EMidiDirection::Destination).back(), CMidiSystem::kBuiltInDeviceName);
}

TEST(MidiSystem, NoBuiltInDeviceWithoutItsBehaviour) {
  CMidiSystem::Options options;
  options.system = EMidiSystemChoice::None;
  CMidiSystem system(std::move(options));
  EXPECT_EQ(system.GetNumberOfSources(), 0u);
  EXPECT_EQ(system.GetNumberOfDestinations(), 0u);
}

TEST(MidiSystem, IndicesOutsideTheListAndUnknownEndpoints) {
  CMidiSystem system(BuiltInOnly());
  EXPECT_EQ(system.GetSource(1), 0u);
  EXPECT_EQ(system.GetDestination(99), 0u);
  MIDIUniqueID id = 5;
  std::string name = "kept";
  EXPECT_EQ(system.GetUniqueID(0, id), kMIDIUnknownEndpointErr);
  EXPECT_EQ(system.GetName(1234, name), kMIDIUnknownEndpointErr);
  EXPECT_EQ(id, 5);
  EXPECT_EQ(name, "kept");
}

TEST(MidiSystem, TheSameDevicesGetTheSameIDsInAnotherRun) {
  auto firstRun = std::make_shared<SScript>();
  firstRun->sources = {{"a", "KVX:KVX MIDI 1 128:0"}, {"b", "Twin:Twin 129:0"}, {"c", "Twin:Twin 130:0"}};
  auto secondRun = std::make_shared<SScript>();
  secondRun->sources = {{"x", "KVX:KVX MIDI 1 24:0"}, {"y", "Twin:Twin 20:0"}, {"z", "Twin:Twin 21:0"}};
  CMidiSystem first(ScriptedOnly(firstRun));
  CMidiSystem second(ScriptedOnly(secondRun));
  ASSERT_EQ(first.GetNumberOfSources(), 3u);
  ASSERT_EQ(second.GetNumberOfSources(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(IDOf(first, first.GetSource(i)), IDOf(second, second.GetSource(i)));
  }
  EXPECT_NE(IDOf(first, first.GetSource(1)), IDOf(first, first.GetSource(2)));
  EXPECT_EQ(Names(first, EMidiDirection::Source),
            (std::vector<std::string>{"KVX MIDI 1", "Twin", "Twin"}));
}

TEST(MidiSystem, OurOwnPortsAreNotListed) {
  auto script = std::make_shared<SScript>();
  script->destinations = {{"ours", "KVX Editor-01:KVX Editor Input Port"}, {"dev", "Dev:Dev 130:0"}};
  script->sources = {{"ours-out", "KVX Editor:KVX Editor Output Port 131:0"}};
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiInputPort* input = nullptr;
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateInputPort("KVX Editor Input Port", SReceiver::ReadProc, nullptr, input), 0);
  ASSERT_EQ(client->CreateOutputPort("KVX Editor Output Port", output), 0);
  system.CheckSetup();
  EXPECT_EQ(Names(system, EMidiDirection::Destination), std::vector<std::string>{"Dev"});
  EXPECT_EQ(system.GetNumberOfSources(), 0u);
}

// --- setup changes

TEST(MidiSystem, SetupChangesAreNotifiedAndReferencesFollowTheDevice) {
  auto script = std::make_shared<SScript>();
  script->sources = {{"k1", "KVX:KVX 128:0"}};
  CMidiSystem system(ScriptedOnly(script));
  int notifications = 0;
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("Test", CountNotification, &notifications, client), 0);
  const MIDIEndpointRef kvx = system.GetSource(0);
  const MIDIUniqueID kvxID = IDOf(system, kvx);

  EXPECT_FALSE(system.CheckSetup());
  EXPECT_EQ(notifications, 0);

  {
    std::lock_guard lock(script->mutex);
    script->sources.clear();  // unplugged
  }
  EXPECT_TRUE(system.CheckSetup());
  EXPECT_EQ(notifications, 1);
  EXPECT_EQ(system.GetNumberOfSources(), 0u);
  MIDIUniqueID id = 0;
  EXPECT_EQ(system.GetUniqueID(kvx, id), kMIDIUnknownEndpointErr);

  {
    std::lock_guard lock(script->mutex);
    script->sources = {{"s1", "Synth:Synth 129:0"}, {"k2", "KVX:KVX 130:0"}};  // plugged again
  }
  EXPECT_TRUE(system.CheckSetup());
  EXPECT_EQ(notifications, 2);
  ASSERT_EQ(system.GetNumberOfSources(), 2u);
  EXPECT_EQ(system.GetSource(1), kvx);  // the same device, the same reference and ID
  EXPECT_EQ(IDOf(system, kvx), kvxID);

  {
    std::lock_guard lock(script->mutex);
    script->sources[1].key = "k3";  // re-plugged between two checks: same list, new port
  }
  EXPECT_TRUE(system.CheckSetup());
  EXPECT_EQ(notifications, 3);
}

TEST(MidiSystem, PollLooksAtTheSetupAboutOnceASecond) {
  std::uint32_t ticks = 1000;
  UTickClock::SetSource([&ticks] { return ticks; });
  auto script = std::make_shared<SScript>();
  CMidiSystem system(ScriptedOnly(script));
  int notifications = 0;
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("Test", CountNotification, &notifications, client), 0);
  {
    std::lock_guard lock(script->mutex);
    script->destinations = {{"d", "Dev:Dev 128:0"}};
  }
  ticks += CMidiSystem::kSetupPollTicks - 1;
  system.Poll();
  EXPECT_EQ(notifications, 0);
  EXPECT_EQ(system.GetNumberOfDestinations(), 0u);
  ticks += 1;
  system.Poll();
  EXPECT_EQ(notifications, 1);
  EXPECT_EQ(system.GetNumberOfDestinations(), 1u);
  client.reset();
  UTickClock::SetSource({});
}

// --- input

TEST(MidiSystem, PacketsOfAConnectedSourceArriveOnAnotherThread) {
  CMidiSystem system(BuiltInOnly());
  SReceiver receiver(std::this_thread::get_id());
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiInputPort* input = nullptr;
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateInputPort("KVX Editor Input Port", SReceiver::ReadProc, &receiver, input), 0);
  ASSERT_EQ(client->CreateOutputPort("KVX Editor Output Port", output), 0);
  int connection = 0;
  ASSERT_EQ(input->ConnectSource(system.GetSource(0), &connection), 0);
  EXPECT_TRUE(input->IsConnected(system.GetSource(0)));

  const Bytes note = {0x90, 0x3C, 0x64};
  ASSERT_EQ(output->Send(system.GetDestination(0), OnePacket(note)), 0);
  ASSERT_TRUE(kvxtest::WaitUntil([&] { return receiver.packets.load() == 1; }));
  EXPECT_EQ(receiver.Drain(), std::vector<Bytes>{note});
  EXPECT_FALSE(receiver.onMainThread.load());
  EXPECT_EQ(receiver.lastConnRefCon.load(), &connection);
}

TEST(MidiSystem, NoPacketsAfterDisconnecting) {
  CMidiSystem system(BuiltInOnly());
  SReceiver dropped(std::this_thread::get_id());
  SReceiver kept(std::this_thread::get_id());
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiInputPort* first = nullptr;
  CMidiInputPort* second = nullptr;
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateInputPort("In 1", SReceiver::ReadProc, &dropped, first), 0);
  ASSERT_EQ(client->CreateInputPort("In 2", SReceiver::ReadProc, &kept, second), 0);
  ASSERT_EQ(client->CreateOutputPort("Out", output), 0);
  const MIDIEndpointRef device = system.GetSource(0);
  ASSERT_EQ(first->ConnectSource(device, nullptr), 0);
  ASSERT_EQ(second->ConnectSource(device, nullptr), 0);

  EXPECT_EQ(first->DisconnectSource(device), 0);
  EXPECT_EQ(first->DisconnectSource(device), kMIDINoConnectionErr);
  ASSERT_EQ(output->Send(system.GetDestination(0), OnePacket({0xB0, 0x07, 0x64})), 0);
  ASSERT_TRUE(kvxtest::WaitUntil([&] { return kept.packets.load() == 1; }));
  EXPECT_EQ(dropped.packets.load(), 0);
}

TEST(MidiSystem, ConnectingWhatIsNoSourceFails) {
  CMidiSystem system(BuiltInOnly());
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiInputPort* input = nullptr;
  ASSERT_EQ(client->CreateInputPort("In", SReceiver::ReadProc, nullptr, input), 0);
  EXPECT_EQ(input->ConnectSource(system.GetDestination(0), nullptr), kMIDIUnknownEndpointErr);
  EXPECT_EQ(input->ConnectSource(0, nullptr), kMIDIUnknownEndpointErr);
  EXPECT_FALSE(input->IsConnected(system.GetDestination(0)));
}

// --- output

TEST(MidiSystem, PacketsGoOutAsWholeMessages) {
  auto script = std::make_shared<SScript>();
  script->destinations = {{"dev", "Dev:Dev 128:0"}};
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateOutputPort("KVX Editor Output Port", output), 0);

  MIDIPacketList list;
  list.numPackets = 3;
  const Bytes packets[3] = {{0x90, 0x40, 0x7F, 0x80, 0x40, 0x00}, {0xF0, 0x7D, 0x10}, {0x01, 0xF7}};
  MIDIPacket* packet = &list.packet[0];
  for (const Bytes& bytes : packets) {
    packet->length = static_cast<std::uint16_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), packet->data);
    packet = MIDIPacketNext(packet);
  }
  ASSERT_EQ(output->Send(system.GetDestination(0), list), 0);
  const std::vector<std::pair<std::string, Bytes>> expected = {
      {"dev", {0x90, 0x40, 0x7F}}, {"dev", {0x80, 0x40, 0x00}}, {"dev", {0xF0, 0x7D, 0x10, 0x01, 0xF7}}};
  EXPECT_EQ(script->Sent(), expected);
  EXPECT_EQ(script->openedOutputs,
            std::vector<std::string>{"dev as KVX Editor:KVX Editor Output Port"});
}

TEST(MidiSystem, SendingToWhatIsNoDestinationFails) {
  auto script = std::make_shared<SScript>();
  script->sources = {{"src", "Dev:Dev 128:0"}};
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateOutputPort("Out", output), 0);
  EXPECT_EQ(output->Send(system.GetSource(0), OnePacket({0xF8})), kMIDIUnknownEndpointErr);
  EXPECT_EQ(output->Send(0, OnePacket({0xF8})), kMIDIUnknownEndpointErr);
  MIDIPacketList tooMany;
  tooMany.numPackets = kMIDIPacketListCapacity + 1;
  EXPECT_EQ(output->Send(system.GetSource(0), tooMany), kMIDIInvalidArgumentErr);
  EXPECT_TRUE(script->Sent().empty());
}

TEST(MidiSystem, AFailingOutputGivesItsStatus) {
  auto script = std::make_shared<SScript>();
  script->destinations = {{"dev", "Dev:Dev 128:0"}};
  script->outputStatus = kMIDIPortOpenErr;
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateOutputPort("Out", output), 0);
  EXPECT_EQ(output->Send(system.GetDestination(0), OnePacket({0xF8})), kMIDIPortOpenErr);
}

TEST(MidiSystem, ARePluggedDestinationIsOpenedAgain) {
  auto script = std::make_shared<SScript>();
  script->destinations = {{"dev-128", "Dev:Dev 128:0"}};
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateOutputPort("Out", output), 0);
  const MIDIEndpointRef device = system.GetDestination(0);
  ASSERT_EQ(output->Send(device, OnePacket({0xF8})), 0);
  ASSERT_EQ(output->Send(device, OnePacket({0xFA})), 0);
  {
    std::lock_guard lock(script->mutex);
    script->destinations = {{"dev-131", "Dev:Dev 131:0"}};
  }
  ASSERT_TRUE(system.CheckSetup());
  ASSERT_EQ(system.GetDestination(0), device);
  ASSERT_EQ(output->Send(device, OnePacket({0xFC})), 0);
  EXPECT_EQ(script->openedOutputs,
            (std::vector<std::string>{"dev-128 as KVX Editor:Out", "dev-131 as KVX Editor:Out"}));
  EXPECT_EQ(script->Sent().back(), (std::pair<std::string, Bytes>{"dev-131", {0xFC}}));
}

TEST(MidiSystem, AnOutputPortOpensItsDestinationAheadAndSendsToOneAtATime) {
  auto script = std::make_shared<SScript>();
  script->destinations = {{"one", "One:One 128:0"}, {"two", "Two:Two 129:0"}};
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateOutputPort("Out", output), 0);
  ASSERT_EQ(output->OpenDestination(system.GetDestination(0)), 0);
  EXPECT_EQ(script->openedOutputs, std::vector<std::string>{"one as KVX Editor:Out"});
  ASSERT_EQ(output->Send(system.GetDestination(0), OnePacket({0xF8})), 0);
  ASSERT_EQ(output->Send(system.GetDestination(1), OnePacket({0xFA})), 0);
  EXPECT_EQ(script->openedOutputs,
            (std::vector<std::string>{"one as KVX Editor:Out", "two as KVX Editor:Out"}));
  EXPECT_EQ(script->liveOutputs, 1);
  EXPECT_EQ(output->OpenDestination(system.GetSource(0)), kMIDIUnknownEndpointErr);
}

// --- SysEx requests

struct SCompletion {
  std::atomic<int> calls{0};
  static void Proc(MIDISysexSendRequest* request) {
    static_cast<SCompletion*>(request->completionRefCon)->calls.fetch_add(1);
  }
};

TEST(MidiSystem, SysexRequestsCompleteInTheBackground) {
  auto script = std::make_shared<SScript>();
  script->destinations = {{"dev", "Dev:Dev 128:0"}};
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiOutputPort* output = nullptr;
  ASSERT_EQ(client->CreateOutputPort("KVX Editor Output Port", output), 0);

  const Bytes sysex = {0xF0, 0x7D, 0x10, 0x00, 0x00, 0x5C, 0x12, 0x7F, 0x00, 0x00, 0x00, 0x01, 0x00, 0xF7};
  SCompletion completion;
  MIDISysexSendRequest request;
  request.destination = system.GetDestination(0);
  request.data = sysex.data();
  request.bytesToSend = static_cast<std::uint32_t>(sysex.size());
  request.completionProc = SCompletion::Proc;
  request.completionRefCon = &completion;

  system.HoldSysexSends(true);
  ASSERT_EQ(client->SendSysex(request), 0);
  EXPECT_FALSE(request.complete.load());  // in flight until the sender gets to it
  EXPECT_TRUE(script->Sent().empty());
  system.HoldSysexSends(false);
  ASSERT_TRUE(kvxtest::WaitUntil([&] { return request.complete.load(); }));
  EXPECT_EQ(request.bytesToSend, 0u);
  EXPECT_EQ(completion.calls.load(), 1);
  EXPECT_EQ(script->Sent(), (std::vector<std::pair<std::string, Bytes>>{{"dev", sysex}}));
  EXPECT_EQ(script->openedOutputs,
            std::vector<std::string>{"dev as KVX Editor:KVX Editor Output Port"});
}

TEST(MidiSystem, DisposingTheClientCompletesItsWaitingRequestsUnsent) {
  auto script = std::make_shared<SScript>();
  script->destinations = {{"dev", "Dev:Dev 128:0"}};
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  const Bytes sysex = {0xF0, 0x01, 0xF7};
  MIDISysexSendRequest requests[2];
  for (auto& request : requests) {
    request.destination = system.GetDestination(0);
    request.data = sysex.data();
    request.bytesToSend = 3;
  }
  system.HoldSysexSends(true);
  ASSERT_EQ(client->SendSysex(requests[0]), 0);
  ASSERT_EQ(client->SendSysex(requests[1]), 0);
  client.reset();
  for (auto& request : requests) {
    EXPECT_TRUE(request.complete.load());
    EXPECT_EQ(request.bytesToSend, 3u);  // nothing went out
  }
  system.HoldSysexSends(false);
  EXPECT_TRUE(script->Sent().empty());
}

TEST(MidiSystem, SysexRequestsThatCannotStart) {
  auto script = std::make_shared<SScript>();
  script->sources = {{"src", "Dev:Dev 128:0"}};
  CMidiSystem system(ScriptedOnly(script));
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  const Bytes sysex = {0xF0, 0x01, 0xF7};
  MIDISysexSendRequest toSource;
  toSource.destination = system.GetSource(0);
  toSource.data = sysex.data();
  toSource.bytesToSend = 3;
  EXPECT_EQ(client->SendSysex(toSource), kMIDIUnknownEndpointErr);
  MIDISysexSendRequest empty;
  empty.destination = system.GetSource(0);
  EXPECT_EQ(client->SendSysex(empty), kMIDIInvalidArgumentErr);
  EXPECT_TRUE(toSource.complete.load());
  EXPECT_TRUE(empty.complete.load());
}

// --- clients and ports

TEST(MidiSystem, ClientsAndPortsRefuseBadArguments) {
  CMidiSystem system(BuiltInOnly());
  std::unique_ptr<CMidiClient> client;
  EXPECT_EQ(system.CreateClient("", nullptr, nullptr, client), kMIDIInvalidArgumentErr);
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiInputPort* input = nullptr;
  EXPECT_EQ(client->CreateInputPort("In", nullptr, nullptr, input), kMIDIInvalidArgumentErr);
  CMidiOutputPort* output = nullptr;
  EXPECT_EQ(client->CreateOutputPort("", output), kMIDIInvalidArgumentErr);
  EXPECT_EQ(output, nullptr);
  ASSERT_EQ(client->CreateOutputPort("Out", output), 0);
  EXPECT_EQ(client->DisposePort(output), 0);
  EXPECT_EQ(client->DisposePort(output), kMIDIUnknownPortErr);
}

TEST(MidiSystem, PublishingNeedsAlsaOrJack) {
  CMidiSystem system(BuiltInOnly());
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Virtual Device", nullptr, nullptr, client), 0);
  CMidiPublishedSource* source = nullptr;
  CMidiPublishedDestination* destination = nullptr;
  EXPECT_EQ(client->CreateSource("KVX Virtual Device", source), kMIDINotSupportedErr);
  EXPECT_EQ(client->CreateDestination("KVX Virtual Device", SReceiver::ReadProc, nullptr, destination),
            kMIDINotSupportedErr);
}

}  // namespace

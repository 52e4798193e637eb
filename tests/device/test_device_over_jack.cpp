// kvx-device on a real JACK server: runs only under the CTest fixture that starts a private
// server (KVX_TEST_JACK=1 and JACK_DEFAULT_SERVER set); skipped otherwise.
#include "document/CPatch.h"
#include "framework/core/TickCount.h"
#include "midi/platform/CMidiClient.h"
#include "midi/platform/CMidiInputPort.h"
#include "midi/platform/CMidiSystem.h"
#include "platform/MidiTestSupport.h"
#include "support/PatchTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using kvxtest::Bytes;

// The device program as a child process, ended with SIGTERM.
class StDeviceProcess {
 public:
  StDeviceProcess(const std::vector<std::string>& arguments, const std::filesystem::path& log) {
    std::vector<char*> argv;
    std::vector<std::string> owned = arguments;
    owned.insert(owned.begin(), KVX_DEVICE_PROGRAM);
    for (auto& argument : owned) argv.push_back(argument.data());
    argv.push_back(nullptr);
    mPid = ::fork();
    if (mPid == 0) {
      if (std::freopen(log.c_str(), "w", stdout) == nullptr) ::_exit(126);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }
  ~StDeviceProcess() { Stop(); }

  // The exit status, or -1 when it did not end normally.
  int Stop() {
    if (mPid <= 0) return mStatus;
    ::kill(mPid, SIGTERM);
    int status = 0;
    ::waitpid(mPid, &status, 0);
    mPid = 0;
    mStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return mStatus;
  }

 private:
  pid_t mPid = -1;
  int mStatus = -1;
};

MIDIEndpointRef FindByName(const CMidiSystem& system, EMidiDirection direction,
                           const std::string& wanted) {
  const bool sources = direction == EMidiDirection::Source;
  const std::size_t count = sources ? system.GetNumberOfSources() : system.GetNumberOfDestinations();
  for (std::size_t i = 0; i < count; ++i) {
    const MIDIEndpointRef endpoint = sources ? system.GetSource(i) : system.GetDestination(i);
    std::string name;
    if (system.GetName(endpoint, name) == 0 && name == wanted) return endpoint;
  }
  return 0;
}

class DeviceOverJack : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* wanted = std::getenv("KVX_TEST_JACK");
    if (wanted == nullptr || std::string(wanted) != "1" || std::getenv("JACK_DEFAULT_SERVER") == nullptr) {
      GTEST_SKIP() << "needs the private JACK server of the CTest fixture";
    }
  }

  // Sends a SysEx and waits until it is out, then lets 2 ticks pass: JACK carries a limited
  // number of bytes per period, and the editor paces its dumps too.
  static void SendPaced(CMidiClient& client, MIDIEndpointRef destination, const Bytes& message) {
    MIDISysexSendRequest request;
    request.destination = destination;
    request.data = message.data();
    request.bytesToSend = static_cast<std::uint32_t>(message.size());
    ASSERT_EQ(client.SendSysex(request), 0);
    ASSERT_TRUE(kvxtest::WaitUntil([&] { return request.complete.load(); }));
    ASSERT_EQ(request.bytesToSend, 0u);
    const std::uint32_t sent = TickCount();
    kvxtest::WaitUntil([sent] { return TickCount() - sent >= 2; });
  }
};

TEST_F(DeviceOverJack, ReceivesTransmitsAndSavesAPatch) {
  kvxtest::StTempFolder folder;
  const std::string name = "KVX Test Device " + std::to_string(::getpid());
  StDeviceProcess device({"--name", name, "--save", (folder.Path() / "saved.mid").string()},
                         folder.Path() / "device.log");

  CMidiSystem::Options options;
  options.system = EMidiSystemChoice::Jack;
  CMidiSystem system(std::move(options));
  ASSERT_EQ(system.GetSystemName(), "JACK") << system.GetLastError();
  MIDIEndpointRef source = 0;
  MIDIEndpointRef destination = 0;
  ASSERT_TRUE(kvxtest::WaitUntil([&] {
    system.CheckSetup();
    source = FindByName(system, EMidiDirection::Source, name);
    destination = FindByName(system, EMidiDirection::Destination, name);
    return source != 0 && destination != 0;
  })) << "kvx-device did not appear on JACK";

  kvxtest::SReceiver receiver(std::this_thread::get_id());
  std::unique_ptr<CMidiClient> client;
  ASSERT_EQ(system.CreateClient("KVX Editor", nullptr, nullptr, client), 0);
  CMidiInputPort* input = nullptr;
  ASSERT_EQ(client->CreateInputPort("KVX Editor Input Port", kvxtest::SReceiver::ReadProc,
                                    &receiver, input), 0);
  ASSERT_EQ(input->ConnectSource(source, nullptr), 0);

  std::mt19937 random(31);
  std::vector<Bytes> dumps;
  SendPaced(*client, destination, Bytes(kBulkReceiveRequest, kBulkReceiveRequest + kBulkRequestSize));
  for (long index = 0; index < kControllerCount; ++index) {
    dumps.push_back(kvxtest::MakeDump(index, kvxtest::RandomRecord(random)));
    SendPaced(*client, destination, dumps.back());
  }
  SendPaced(*client, destination, Bytes(kBulkTransRequest, kBulkTransRequest + kBulkRequestSize));

  std::vector<Bytes> received;
  kvxtest::WaitUntil([&] {
    for (auto& message : receiver.Drain()) received.push_back(std::move(message));
    return received.size() >= dumps.size();
  });
  EXPECT_EQ(received, dumps);
  EXPECT_FALSE(receiver.onMainThread.load());

  client.reset();
  ASSERT_EQ(device.Stop(), 0);
  CPatch saved;
  ASSERT_EQ(saved.LoadSMF(folder.Spec("saved.mid")), 0);
  for (long index = 0; index < kControllerCount; ++index) {
    Bytes dump(kBulkDumpSize);
    saved.MakeBulkSysx(index, dump.data());
    EXPECT_EQ(dump, dumps[static_cast<std::size_t>(index)]) << "controller " << index;
  }
  const Bytes log = kvxtest::ReadWholeFile(folder.Path() / "device.log");
  const std::string text(log.begin(), log.end());
  EXPECT_NE(text.find("-- 50 dumps received: 50 stored, 0 rejected"), std::string::npos) << text;
  EXPECT_NE(text.find("-- all 50 dumps sent"), std::string::npos) << text;
}

}  // namespace

// kvx send and receive against kvx-device on a real JACK server: the example patches travel
// both ways byte for byte. Runs only under the CTest fixture that starts a private server
// (KVX_TEST_JACK=1 and JACK_DEFAULT_SERVER set); skipped otherwise.
#include <gtest/gtest.h>

#include <jack/jack.h>
#include <jack/midiport.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cli/KvxProcess.h"
#include "cli/KvxRunner.h"

namespace kvxcli {
namespace {

namespace fs = std::filesystem;

const std::vector<std::pair<std::string, std::string>> kJack{{"KVX_MIDI_SYSTEM", "jack"}};

// A kvx-device named `name` on JACK, until the end of the scope (or Stop).
class StDevice {
 public:
  StDevice(const std::string& name, std::vector<std::string> more = {})
      : mProcess({KVX_DEVICE_PROGRAM, Arguments(name, std::move(more)), kJack, ""}) {}

  bool Started() const { return mProcess.WaitFor("until interrupted", false); }
  // Ends it as Ctrl-C would; its exit status.
  int Stop() {
    mProcess.Signal(SIGINT);
    return mProcess.Wait().status;
  }
  std::string Log() const { return mProcess.Out() + mProcess.Err(); }

 private:
  static std::vector<std::string> Arguments(const std::string& name,
                                            std::vector<std::string> more) {
    more.insert(more.begin(), {"--name", name});
    return more;
  }
  CProcess mProcess;
};

// The examples that load as current patches.
std::vector<std::string> Examples() { return {"synth-setup", "templates"}; }

// What a patch holds for the device: its 50 dumps, one line each.
std::string Dumps(const fs::path& patch) {
  const SRun run = RunKvx({"dump", patch.string()});
  EXPECT_EQ(run.status, 0) << patch << ": " << run.err;
  return run.out;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The unique IDs kvx ports lists for `name` in `direction` ("source" or "destination").
std::vector<std::string> ListedIDs(const std::string& name, const std::string& direction) {
  std::vector<std::string> ids;
  for (const std::string& line : SplitLines(RunKvxWith({"ports"}, kJack).out)) {
    if (line.rfind(direction + "\t", 0) != 0 || !EndsWith(line, "\t" + name)) continue;
    const std::size_t first = direction.size() + 1;
    ids.push_back(line.substr(first, line.find('\t', first) - first));
  }
  return ids;
}

// Waits until kvx lists `count` sources and destinations named `name` (JACK shows a new
// client's ports a little later).
bool Listed(const std::string& name, std::size_t count = 1) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (ListedIDs(name, "source").size() == count &&
        ListedIDs(name, "destination").size() == count)
      return true;
  }
  return false;
}

// A JACK client of the test's own. It tells which clients are there and listens to a port of
// another client; when the messages it has heard reach one of `stallAt`, it holds up the cycle
// past its period, which the server reports to every client as a dropped cycle (an xrun).
class CJackObserver {
 public:
  explicit CJackObserver(std::vector<std::size_t> stallAt) : mStallAt(std::move(stallAt)) {
    mClient = jack_client_open("kvx test observer", JackNoStartServer, nullptr);
    if (mClient == nullptr) return;
    mInput = jack_port_register(mClient, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(mClient, Process, this);
    jack_activate(mClient);
  }
  ~CJackObserver() {
    if (mClient != nullptr) jack_client_close(mClient);
  }
  bool IsOpen() const { return mInput != nullptr; }

  bool HasClient(const std::string& name) const {
    char* uuid = jack_get_uuid_for_client_name(mClient, name.c_str());
    if (uuid == nullptr) return false;
    jack_free(uuid);
    return true;
  }

  // Connects the first MIDI output port whose full name matches `pattern` to ours.
  bool Listen(const std::string& pattern) {
    const char** ports = jack_get_ports(mClient, pattern.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                        JackPortIsOutput);
    if (ports == nullptr) return false;
    const bool connected = jack_connect(mClient, ports[0], jack_port_name(mInput)) == 0;
    jack_free(static_cast<void*>(ports));
    return connected;
  }
  std::size_t Heard() const { return mHeard.load(); }

 private:
  static int Process(jack_nframes_t frames, void* self) {
    auto& observer = *static_cast<CJackObserver*>(self);
    const std::size_t before = observer.mHeard.load();
    const std::size_t after =
        before + jack_midi_get_event_count(jack_port_get_buffer(observer.mInput, frames));
    observer.mHeard.store(after);
    for (const std::size_t at : observer.mStallAt) {
      if (before < at && at <= after) std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    return 0;
  }

  std::vector<std::size_t> mStallAt;
  jack_client_t* mClient = nullptr;
  jack_port_t* mInput = nullptr;
  std::atomic<std::size_t> mHeard{0};
};

class KvxOverJack : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* wanted = std::getenv("KVX_TEST_JACK");
    if (wanted == nullptr || std::string(wanted) != "1" ||
        std::getenv("JACK_DEFAULT_SERVER") == nullptr) {
      GTEST_SKIP() << "needs the private JACK server of the CTest fixture";
    }
  }

  static std::string UniqueName(const std::string& what) {
    return "KVX Test " + what + " " + std::to_string(::getpid());
  }

  StTempFolder mFolder;
};

TEST_F(KvxOverJack, SendsEachExampleToKvxDeviceAndFetchesItBack) {
  for (const std::string& example : Examples()) {
    SCOPED_TRACE(example);
    const std::string name = UniqueName(example);
    const fs::path saved = mFolder / (example + "-saved.mid");
    const fs::path back = mFolder / (example + "-back.mid");
    StDevice device(name, {"--save", saved.string()});
    ASSERT_TRUE(device.Started()) << device.Log();
    ASSERT_TRUE(Listed(name));

    const SRun send =
        RunKvxWith({"send", ExamplePatch(example).string(), "--to", name, "--yes"}, kJack);
    ASSERT_EQ(send.status, 0) << send.err;
    const SRun receive = RunKvxWith(
        {"receive", back.string(), "--from", name, "--to", name, "--yes", "--timeout", "60"},
        kJack);
    ASSERT_EQ(receive.status, 0) << receive.err;
    ASSERT_EQ(device.Stop(), 0) << device.Log();

    const std::string dumps = Dumps(ExamplePatch(example));
    EXPECT_EQ(Dumps(saved), dumps) << device.Log();
    EXPECT_EQ(Dumps(back), dumps);
    // The device's file and ours are the same patch, written by the same code.
    EXPECT_EQ(ReadBytes(back), ReadBytes(saved));
  }
}

TEST_F(KvxOverJack, FetchesThePatchAKvxDeviceStartedWith) {
  for (const std::string& example : Examples()) {
    SCOPED_TRACE(example);
    const std::string name = UniqueName("loaded " + example);
    const fs::path received = mFolder / (example + "-received.mid");
    StDevice device(name, {"--patch", ExamplePatch(example).string()});
    ASSERT_TRUE(device.Started()) << device.Log();
    ASSERT_TRUE(Listed(name));

    const SRun run = RunKvxWith(
        {"receive", received.string(), "--from", name, "--to", name, "--yes", "--timeout", "60"},
        kJack);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "50 dumps received from \"" + name + "\", written to " +
                           received.string() + ".\n");
    EXPECT_EQ(Dumps(received), Dumps(ExamplePatch(example)));
  }
}

TEST_F(KvxOverJack, ASilentSourceEndsInTheTimeOutAndWritesNothing) {
  const std::string silent = UniqueName("silent");
  const std::string asked = UniqueName("asked");
  StDevice silentDevice(silent);
  StDevice askedDevice(asked, {"--patch", ExamplePatch("synth-setup").string()});
  ASSERT_TRUE(silentDevice.Started() && askedDevice.Started());
  ASSERT_TRUE(Listed(silent) && Listed(asked));

  const fs::path out = mFolder / "never.mid";
  const SRun run = RunKvxWith(
      {"receive", out.string(), "--from", silent, "--to", asked, "--yes", "--timeout", "1"},
      kJack);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("the device did not send its patch within 1 second: 0 of 50 controllers"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(out));
}

// A device that misbehaves: a retrieval that misses a controller is never complete, and a
// verified send sends again until the device holds the patch.
TEST_F(KvxOverJack, FaultyDevicesAreNeverTakenForComplete) {
  const fs::path patch = ExamplePatch("synth-setup");
  struct SRow {
    const char* name;
    std::vector<std::string> fault;
    bool send;  // a verified send; else a receive
    int status;
    std::string says;
  };
  const SRow rows[] = {
      {"sends R5 twice, R6 never", {"--repeat-dump", "R5"}, false, 1, "(missing: R6)"},
      {"drops S1", {"--drop-dump", "S1"}, false, 1, "(missing: S1)"},
      {"corrupts R2", {"--corrupt-dump", "1"}, false, 1, "R2 from"},
      {"loses A1 once", {"--lose-received", "A1"}, true, 0, "verified after 2 sends"},
      {"sends S3 back damaged", {"--corrupt-dump", "S3"}, true, 1, "still holds different settings for: S3"},
  };
  for (const SRow& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string name = UniqueName(row.fault[0] + " " + row.fault[1]);
    const fs::path saved = mFolder / "device.mid";
    const fs::path out = mFolder / "out.mid";
    // A device sent the patch starts empty, so that a dump it loses leaves a difference; one
    // asked for it holds it.
    std::vector<std::string> options = row.fault;
    options.insert(options.end(), {"--save", saved.string()});
    if (!row.send) options.insert(options.end(), {"--patch", patch.string()});
    StDevice device(name, options);
    ASSERT_TRUE(device.Started()) << device.Log();
    ASSERT_TRUE(Listed(name));

    // The device sends its 50 dumps 4 ticks apart (3.3 s): the time-out leaves room for them.
    const std::vector<std::string> args =
        row.send ? std::vector<std::string>{"send", patch.string(), "--to", name, "--verify",
                                            "--from", name, "--yes", "--timeout", "60"}
                 : std::vector<std::string>{"receive", out.string(), "--from", name, "--to",
                                            name, "--yes", "--timeout", "8"};
    const SRun run = RunKvxWith(args, kJack);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_NE((run.out + run.err).find(row.says), std::string::npos) << run.out << run.err;
    EXPECT_FALSE(fs::exists(out)) << "nothing is written from an incomplete patch";
    ASSERT_EQ(device.Stop(), 0) << device.Log();
    if (row.send) {
      EXPECT_EQ(Dumps(saved), Dumps(patch)) << device.Log();
    }
  }
}

TEST_F(KvxOverJack, ANameTwoPortsShareMustBeGivenAsAUniqueID) {
  const std::string name = UniqueName("twin");
  StDevice first(name);
  ASSERT_TRUE(first.Started());
  StDevice second(name);
  ASSERT_TRUE(second.Started());
  ASSERT_TRUE(Listed(name, 2));

  // Both destinations are listed under the same name, with their own IDs.
  const std::vector<std::string> ids = ListedIDs(name, "destination");
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_NE(ids[0], ids[1]);

  const SRun byName =
      RunKvxWith({"send", ExamplePatch("synth-setup").string(), "--to", name, "--yes"}, kJack);
  EXPECT_EQ(byName.status, 1);
  EXPECT_NE(byName.err.find("more than one MIDI destination is named \"" + name + "\""),
            std::string::npos)
      << byName.err;
  for (const std::string& id : ids) EXPECT_NE(byName.err.find(id), std::string::npos);

  const SRun byID = RunKvxWith({"send", ExamplePatch("synth-setup").string(), "--to", ids[1],
                                "--yes", "--timeout", "60"},
                               kJack);
  EXPECT_EQ(byID.status, 0) << byID.err;
}

// While kvx sends, it is one client of the JACK server (no port listers beside it); the
// observer stalls two cycles in the middle of the dumps, and kvx tells of the dropouts while
// the device, on a server that waits for slow clients, still gets every dump.
TEST_F(KvxOverJack, ASendIsOneClientAndToldOfTheServersDropouts) {
  const std::string name = UniqueName("dropouts");
  const fs::path patch = ExamplePatch("synth-setup");
  const fs::path saved = mFolder / "saved.mid";
  StDevice device(name, {"--save", saved.string()});
  ASSERT_TRUE(device.Started()) << device.Log();
  ASSERT_TRUE(Listed(name));
  CJackObserver observer({10, 30});
  ASSERT_TRUE(observer.IsOpen());

  CProcess send({KVX_CLI_PATH, {"send", patch.string(), "--to", name, "--yes"}, kJack, ""});
  const std::vector<std::string> ourClients = {"KVX Editor", "KVX Editor-01", "KVX Editor-02",
                                               "KVX port lister", "KVX port lister-01"};
  bool listening = false;
  std::size_t mostClients = 0;
  while (send.IsRunning()) {
    if (!listening) listening = observer.Listen("^KVX Editor.*:KVX Editor Output Port$");
    if (listening) {
      mostClients = std::max<std::size_t>(
          mostClients, std::ranges::count_if(ourClients, [&](const std::string& client) {
            return observer.HasClient(client);
          }));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const SRun run = send.Wait();
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_TRUE(listening);
  EXPECT_EQ(mostClients, 1u);
  EXPECT_GE(observer.Heard(), 30u);

  // Both stalls fell inside the send; a loaded machine may add dropouts of its own.
  std::smatch found;
  ASSERT_TRUE(std::regex_search(run.err, found,
                                std::regex("reported ([0-9]+) dropouts? during sending")))
      << run.err;
  EXPECT_GE(std::stoi(found[1].str()), 2) << run.err;
  ASSERT_EQ(device.Stop(), 0) << device.Log();
  EXPECT_EQ(Dumps(saved), Dumps(patch)) << device.Log();
}

}  // namespace
}  // namespace kvxcli

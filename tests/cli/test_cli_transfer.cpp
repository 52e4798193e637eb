// kvx ports, send and receive with the built-in device alone (no ALSA, no JACK): the port
// list, transfers by port name and unique ID, confirmations, Ctrl-C, time-outs, ports that
// are not there, and the usage of the three commands.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/KvxProcess.h"
#include "cli/KvxRunner.h"

namespace kvxcli {
namespace {

namespace fs = std::filesystem;

const std::string kBuiltIn = "KVX Virtual Device (built-in)";
const std::vector<std::pair<std::string, std::string>> kNoMidiSystem{{"KVX_MIDI_SYSTEM", "none"}};

struct SPort {
  std::string direction;
  std::string uniqueID;
  std::string name;
};

std::vector<SPort> ParsePorts(const std::string& out) {
  std::vector<SPort> ports;
  for (const std::string& line : SplitLines(out)) {
    const std::size_t first = line.find('\t');
    const std::size_t second = line.find('\t', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
      ADD_FAILURE() << "not DIRECTION<TAB>ID<TAB>NAME: " << line;
      continue;
    }
    ports.push_back({line.substr(0, first), line.substr(first + 1, second - first - 1),
                     line.substr(second + 1)});
  }
  return ports;
}

std::string BuiltInID(const std::string& direction) {
  const SRun run = RunKvxWith({"ports"}, kNoMidiSystem);
  for (const SPort& port : ParsePorts(run.out))
    if (port.direction == direction && port.name == kBuiltIn) return port.uniqueID;
  return "";
}

// The controller lines of kvx info: what a patch assigns, without its title.
std::vector<std::string> Assignments(const fs::path& patch) {
  std::vector<std::string> lines = SplitLines(RunKvx({"info", patch.string()}).out);
  if (!lines.empty()) lines.erase(lines.begin());
  return lines;
}

bool Holds(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

TEST(KvxPorts, ListsTheBuiltInDeviceBothWaysWithItsUniqueIDs) {
  const SRun run = RunKvxWith({"ports"}, kNoMidiSystem);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<SPort> ports = ParsePorts(run.out);
  ASSERT_EQ(ports.size(), 2u) << run.out;
  EXPECT_EQ(ports[0].direction, "source");
  EXPECT_EQ(ports[1].direction, "destination");
  for (const SPort& port : ports) {
    SCOPED_TRACE(port.direction);
    EXPECT_EQ(port.name, kBuiltIn);
    EXPECT_NE(port.uniqueID, "0");
    EXPECT_EQ(port.uniqueID.find_first_not_of("-0123456789"), std::string::npos);
  }
  // The same IDs in every run.
  EXPECT_EQ(BuiltInID("source"), ports[0].uniqueID);
  EXPECT_TRUE(Holds(run.err, "only the built-in device")) << run.err;
}

TEST(KvxSend, SendsToTheBuiltInDeviceByNameOrUniqueIDAfterAYes) {
  const SRun byName = RunKvxWith(
      {"send", ExamplePatch("synth-setup").string(), "--to", kBuiltIn, "--yes"}, kNoMidiSystem);
  EXPECT_EQ(byName.status, 0) << byName.err;
  EXPECT_EQ(byName.out, "50 dumps sent to \"" + kBuiltIn + "\".\n");

  const std::string id = BuiltInID("destination");
  ASSERT_FALSE(id.empty());
  const SRun byID = RunKvxWith({"send", ExamplePatch("templates").string(), "--to=" + id},
                               kNoMidiSystem, "yes\n");
  EXPECT_EQ(byID.status, 0) << byID.err;
  EXPECT_TRUE(Holds(byID.err, "Send " + ExamplePatch("templates").string() + " to \"" + kBuiltIn +
                                  "\"? [y/N]"))
      << byID.err;
}

TEST(KvxReceive, FetchesTheBuiltInDevicesPatchIntoANewFile) {
  StTempFolder folder;
  const fs::path out = folder / "received.mid";
  const SRun run = RunKvxWith(
      {"receive", out.string(), "--from", kBuiltIn, "--to", kBuiltIn, "--yes"}, kNoMidiSystem);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "50 dumps received from \"" + kBuiltIn + "\", written to " + out.string() + ".\n");
  // The built-in device starts empty in every run.
  const std::vector<std::string> assignments = Assignments(out);
  ASSERT_EQ(assignments.size(), 50u);
  for (const std::string& line : assignments) EXPECT_TRUE(Holds(line, "\tN/A\t")) << line;
}

struct SRefusalRow {
  const char* name;
  std::vector<std::string> args;  // @OUT@ stands for a file in the test's folder
  std::string input;
  std::vector<std::string> errHas;
};

TEST(KvxTransfer, NothingHappensWithoutAPortOrAYes) {
  const std::string synth = ExamplePatch("synth-setup").string();
  const SRefusalRow rows[] = {
      {"no such destination",
       {"send", synth, "--to", "Nowhere", "--yes"},
       "",
       {"no MIDI destination is named \"Nowhere\"", "\t" + kBuiltIn}},
      {"an ID that is no port's",
       {"send", synth, "--to", "12345", "--yes"},
       "",
       {"no MIDI destination is named \"12345\" or has that unique ID"}},
      {"no such source",
       {"receive", "@OUT@", "--from", "Nowhere", "--to", kBuiltIn, "--yes"},
       "",
       {"no MIDI source is named \"Nowhere\"", "The sources (UNIQUE-ID<TAB>NAME):\n  "}},
      {"no answer to the question", {"send", synth, "--to", kBuiltIn}, "",
       {"? [y/N]", "kvx: not confirmed: nothing was sent"}},
      {"answered no", {"send", synth, "--to", kBuiltIn}, "n\n", {"nothing was sent"}},
      {"receive answered no",
       {"receive", "@OUT@", "--from", kBuiltIn, "--to", kBuiltIn},
       "no\n",
       {"Fetch the patch of the device at \"" + kBuiltIn + "\"", "nothing was received"}},
      {"output folder missing",
       {"receive", "@OUT@/x.mid", "--from", kBuiltIn, "--to", kBuiltIn, "--yes"},
       "",
       {"does not exist"}},
      {"a timeout of a day is allowed",
       {"send", synth, "--to", "Nowhere", "--yes", "--timeout", "86400"},
       "",
       {"no MIDI destination is named \"Nowhere\""}},
      {"patch that does not load",
       {"send", "@OUT@", "--to", kBuiltIn, "--yes"},
       "",
       {"cannot be read"}},
  };
  for (const SRefusalRow& row : rows) {
    SCOPED_TRACE(row.name);
    StTempFolder folder;
    const fs::path out = folder / "out.mid";
    std::vector<std::string> args;
    for (std::string arg : row.args) {
      if (const std::size_t at = arg.find("@OUT@"); at != std::string::npos)
        arg.replace(at, 5, out.string());
      args.push_back(arg);
    }
    const SRun run = RunKvxWith(args, kNoMidiSystem, row.input);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "");
    for (const std::string& piece : row.errHas) EXPECT_TRUE(Holds(run.err, piece)) << run.err;
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST(KvxSend, TheTimeOutStopsTheSendingWithStatusOne) {
  const SRun run = RunKvxWith({"send", ExamplePatch("synth-setup").string(), "--to", kBuiltIn,
                               "--yes", "--timeout", "0.2"},
                              kNoMidiSystem);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Holds(run.err, "did not finish within 0.2 seconds: stopped after ")) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST(KvxSend, CtrlCCancelsBetweenTwoDumps) {
  CProcess kvx({KVX_CLI_PATH,
                {"send", ExamplePatch("synth-setup").string(), "--to", kBuiltIn, "--yes"},
                kNoMidiSystem, ""});
  ASSERT_TRUE(kvx.WaitFor("Sending to \"" + kBuiltIn + "\"")) << kvx.Err();
  kvx.Signal(SIGINT);
  const SRun run = kvx.Wait();
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Holds(run.err, "was cancelled after ")) << run.err;
  EXPECT_TRUE(Holds(run.err, " of 50 dumps; the device keeps those")) << run.err;
}

TEST(KvxReceive, CtrlCLeavesAnExistingFileAsItWas) {
  StTempFolder folder;
  const fs::path out = folder / "kept.mid";
  fs::copy_file(ExamplePatch("synth-setup"), out);
  CProcess kvx({KVX_CLI_PATH,
                {"receive", out.string(), "--from", kBuiltIn, "--to", kBuiltIn, "--yes"},
                kNoMidiSystem, ""});
  ASSERT_TRUE(kvx.WaitFor("Waiting for the dumps from \"" + kBuiltIn + "\"")) << kvx.Err();
  kvx.Signal(SIGINT);
  const SRun run = kvx.Wait();
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(Holds(run.err, "receiving was cancelled: ")) << run.err;
  EXPECT_TRUE(Holds(run.err, out.string() + " was not written")) << run.err;
  EXPECT_EQ(ReadBytes(out), ReadBytes(ExamplePatch("synth-setup")));
}

TEST(KvxTransfer, WrongUsageGivesTwo) {
  const std::string synth = ExamplePatch("synth-setup").string();
  const SRefusalRow rows[] = {
      {"send without --to", {"send", synth}, "", {"send needs --to PORT"}},
      {"receive without --from", {"receive", "x.mid", "--to", "a"}, "", {"needs --from PORT"}},
      {"receive without --to", {"receive", "x.mid", "--from", "a"}, "", {"needs --to PORT"}},
      {"--to twice", {"send", synth, "--to", "a", "--to=b"}, "", {"--to is given twice"}},
      {"--to without a port", {"send", synth, "--to"}, "", {"--to needs a port name"}},
      {"--from on send", {"send", synth, "--to", "a", "--from", "b"}, "", {"only with --verify"}},
      {"--verify alone", {"send", synth, "--to", "a", "--verify"}, "", {"needs --from PORT"}},
      {"--verify on receive", {"receive", "x.mid", "--from", "a", "--to", "b", "--verify"}, "",
       {"unknown option '--verify'"}},
      {"--yes on info", {"info", synth, "--yes"}, "", {"unknown option '--yes' for info"}},
      {"timeout of zero", {"send", synth, "--to", "a", "--timeout", "0"}, "", {"not '0'"}},
      {"timeout not a number", {"send", synth, "--to", "a", "--timeout=soon"}, "", {"'soon'"}},
      {"timeout over a day", {"send", synth, "--to", "a", "--timeout", "90000"}, "", {"a day"}},
      {"ports with a file", {"ports", synth}, "", {"ports takes no file name, not 1"}},
      {"send without a patch", {"send", "--to", "a"}, "", {"send takes one file name, not 0"}},
  };
  for (const SRefusalRow& row : rows) {
    SCOPED_TRACE(row.name);
    const SRun run = RunKvx(row.args);
    EXPECT_EQ(run.status, 2);
    for (const std::string& piece : row.errHas) EXPECT_TRUE(Holds(run.err, piece)) << run.err;
    EXPECT_TRUE(Holds(run.err, "usage: kvx ")) << run.err;
  }
}

TEST(KvxTransfer, HelpNamesTheTransferCommands) {
  const SRun general = RunKvx({"--help"});
  EXPECT_EQ(general.status, 0);
  for (const char* piece : {"  ports ", "  send PATCH --to PORT", "  receive OUT --from PORT"})
    EXPECT_TRUE(Holds(general.out, piece)) << general.out;
  const SRun send = RunKvx({"send", "--help"});
  EXPECT_EQ(send.status, 0);
  for (const char* piece : {"--yes", "--timeout SECONDS", "Ctrl-C"})
    EXPECT_TRUE(Holds(send.out, piece)) << send.out;
}

}  // namespace
}  // namespace kvxcli

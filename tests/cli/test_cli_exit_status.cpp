// What kvx answers to good and bad command lines and files: exit status, messages, and that
// nothing is written when something is wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "cli/KvxRunner.h"
#include "document/CPatch.h"

namespace kvxcli {
namespace {

namespace fs = std::filesystem;

// A valid MIDI file without a single bulk dump: an empty format-0 track.
const std::string kEmptyMidiFile("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x04\x08\xFF\x2F\0", 26);

const std::string kDamagedJSON = R"({"format": "kvx-patch", "version": 1, "controllers": [
  {"index": 0}, {"index": 1}, {"index": 2},
  {"index": 3, "data": [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 300]}]})";

struct SStatusRow {
  const char* name;
  std::vector<std::string> args;  // @TMP@ stands for the test's folder, @SYNTH@ for an example
  int status;
  std::vector<std::string> errHas;  // pieces the standard error must hold
  std::vector<std::string> outHas;  // pieces the standard output must hold
};

class KvxExitStatus : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(mFolder / "notes.txt", "not a MIDI file\n");
    WriteText(mFolder / "empty.mid", kEmptyMidiFile);
    WriteText(mFolder / "damaged.json", kDamagedJSON);
    WriteText(mFolder / "broken.json", "{\"format\": \"kvx-patch\",\n  \"version\": 1,,}");
    fs::create_directory(mFolder / "folder");
  }

  std::vector<std::string> Expand(const std::vector<std::string>& args) const {
    std::vector<std::string> expanded;
    for (std::string arg : args) {
      Replace(arg, "@TMP@", mFolder.Path().string());
      Replace(arg, "@SYNTH@", ExamplePatch("synth-setup").string());
      expanded.push_back(arg);
    }
    return expanded;
  }

  static void Replace(std::string& text, const std::string& token, const std::string& value) {
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token))
      text.replace(at, token.size(), value);
  }

  void Check(const SStatusRow& row) {
    SCOPED_TRACE(row.name);
    const SRun run = RunKvx(Expand(row.args));
    EXPECT_EQ(run.status, row.status) << run.err;
    for (const std::string& piece : Expand(row.errHas))
      EXPECT_NE(run.err.find(piece), std::string::npos) << "stderr: " << run.err;
    for (const std::string& piece : row.outHas)
      EXPECT_NE(run.out.find(piece), std::string::npos) << "stdout: " << run.out.substr(0, 300);
    // Failures print nothing but the message; success prints no message.
    EXPECT_TRUE(row.status == 0 ? run.err.empty() : run.out.empty())
        << run.out.substr(0, 300) << run.err;
  }

  StTempFolder mFolder;
};

TEST_F(KvxExitStatus, WrongUsageGivesTwoAndAShortUsage) {
  const SStatusRow rows[] = {
      {"no arguments", {}, 2, {"kvx: no command given", "usage: kvx COMMAND"}, {}},
      {"unknown command", {"frobnicate", "@SYNTH@"}, 2, {"unknown command 'frobnicate'"}, {}},
      {"file missing",
       {"info"},
       2,
       {"info takes one file name, not 0", "usage: kvx info PATCH"},
       {}},
      {"one file too many",
       {"json", "@SYNTH@", "@SYNTH@"},
       2,
       {"json takes one file name, not 2"},
       {}},
      {"build without output",
       {"build", "@TMP@/x.json"},
       2,
       {"build takes 2 file names, not 1"},
       {}},
      {"unknown option", {"info", "-x", "@SYNTH@"}, 2, {"unknown option '-x' for info"}, {}},
      {"-o on a command without it",
       {"dump", "@SYNTH@", "-o", "@TMP@/d"},
       2,
       {"unknown option '-o'"},
       {}},
      {"-o without a name", {"html", "@SYNTH@", "-o"}, 2, {"-o needs a file name"}, {}},
      {"-o twice",
       {"html", "@SYNTH@", "-o", "@TMP@/a", "-o", "@TMP@/b"},
       2,
       {"-o is given twice"},
       {}},
  };
  for (const SStatusRow& row : rows) Check(row);
}

TEST_F(KvxExitStatus, HelpGoesToStandardOutputWithZero) {
  const SStatusRow rows[] = {
      {"general help",
       {"--help"},
       0,
       {},
       {"Commands:", "info PATCH", "html PATCH [-o OUT]", "dump PATCH", "json PATCH",
        "build JSON OUT", "import OLD NEW", "Exit status"}},
      {"short general help", {"-h"}, 0, {}, {"Commands:"}},
      {"help of a command",
       {"build", "--help"},
       0,
       {},
       {"usage: kvx build JSON OUT", "nothing is written"}},
      {"help wins over missing files", {"import", "--help"}, 0, {}, {"usage: kvx import OLD NEW"}},
      {"help after other arguments",
       {"html", "@SYNTH@", "--help"},
       0,
       {},
       {"usage: kvx html PATCH [-o OUT]"}},
  };
  for (const SStatusRow& row : rows) Check(row);
}

TEST_F(KvxExitStatus, BadFilesGiveOneNamingTheFile) {
  const SStatusRow rows[] = {
      {"missing file",
       {"info", "@TMP@/missing.mid"},
       1,
       {"kvx: @TMP@/missing.mid: cannot be read: No such file or directory"},
       {}},
      {"a folder",
       {"json", "@TMP@/folder"},
       1,
       {"@TMP@/folder: cannot be read: it is a directory"},
       {}},
      {"a device, not a patch file",
       {"info", "/dev/zero"},
       1,
       {"/dev/zero: cannot be read: it is not a regular file"},
       {}},
      {"endless JSON",
       {"build", "/dev/zero", "@TMP@/out.mid"},
       1,
       {"/dev/zero: is too large for a JSON patch"},
       {}},
      {"not a MIDI file",
       {"dump", "@TMP@/notes.txt"},
       1,
       {"@TMP@/notes.txt: The file cannot be read as a MIDI file"},
       {}},
      {"MIDI file without dumps",
       {"info", "@TMP@/empty.mid"},
       1,
       {"@TMP@/empty.mid: This is not a KVX patch file"},
       {}},
      {"an older file given to info",
       {"info", ExamplePatch("old-device-v100").string()},
       1,
       {"old-device-v100.mid: is a patch file of the older KVX format: convert it with \"kvx "
        "import "},
       {}},
      {"current file given to import",
       {"import", "@SYNTH@", "@TMP@/new.mid"},
       1,
       {"synth-setup.mid: This is not a patch file of the older KVX format"},
       {}},
      {"missing old file",
       {"import", "@TMP@/old.mid", "@TMP@/new.mid"},
       1,
       {"@TMP@/old.mid: cannot be read"},
       {}},
      {"html of a non-patch",
       {"html", "@TMP@/notes.txt", "-o", "@TMP@/list.html"},
       1,
       {"@TMP@/notes.txt:"},
       {}},
      {"missing JSON",
       {"build", "@TMP@/none.json", "@TMP@/out.mid"},
       1,
       {"@TMP@/none.json: cannot be read"},
       {}},
      {"damaged JSON",
       {"build", "@TMP@/damaged.json", "@TMP@/out.mid"},
       1,
       {"@TMP@/damaged.json: controllers[3].data[12]: 300 is out of 0..255"},
       {}},
      {"not JSON at all",
       {"build", "@TMP@/broken.json", "@TMP@/out.mid"},
       1,
       {"@TMP@/broken.json: not valid JSON: parse error at line 2"},
       {}},
      {"patch into a missing folder",
       {"import", ExamplePatch("old-device-v100").string(), "@TMP@/no/new.mid"},
       1,
       {"@TMP@/no/new.mid: cannot be written: the folder @TMP@/no does not exist"},
       {}},
      {"html into a missing folder",
       {"html", "@SYNTH@", "-o", "@TMP@/no/list.html"},
       1,
       {"@TMP@/no/list.html: cannot be written"},
       {}},
  };
  for (const SStatusRow& row : rows) Check(row);
  for (const char* unwritten : {"out.mid", "new.mid", "list.html", "no"})
    EXPECT_FALSE(fs::exists(mFolder / unwritten)) << unwritten;
}

TEST_F(KvxExitStatus, SuccessGivesZero) {
  const std::string json = (mFolder / "synth.json").string();
  WriteText(json, RunKvx({"json", ExamplePatch("synth-setup").string()}).out);
  const SStatusRow rows[] = {
      {"info", {"info", "@SYNTH@"}, 0, {}, {"Synth Set-up\n"}},
      {"html", {"html", "@SYNTH@"}, 0, {}, {"<HTML>"}},
      {"html to a file", {"html", "-o", "@TMP@/list.html", "@SYNTH@"}, 0, {}, {}},
      {"dump", {"dump", "@SYNTH@"}, 0, {}, {"F0 7D 10 00 00 5C 12"}},
      {"json", {"json", "@SYNTH@"}, 0, {}, {"\"format\": \"kvx-patch\""}},
      {"build", {"build", json, "@TMP@/built.mid"}, 0, {}, {}},
      {"import",
       {"import", ExamplePatch("old-device-v100").string(), "@TMP@/imported.mid"},
       0,
       {},
       {}},
      {"file name after --", {"info", "--", "@SYNTH@"}, 0, {}, {"Synth Set-up\n"}},
  };
  for (const SStatusRow& row : rows) Check(row);
  for (const char* written : {"list.html", "built.mid", "imported.mid"})
    EXPECT_TRUE(fs::exists(mFolder / written)) << written;
}

TEST_F(KvxExitStatus, DamagedDumpsInAFileGiveOneWarningNamingThem) {
  CPatch patch;
  std::vector<std::uint8_t> bytes = patch.MakeSMFData();
  const std::uint8_t dumpStart[] = {0xF0, 0x81, 0x0C};  // F0 and the length 140
  auto first = std::search(bytes.begin(), bytes.end(), std::begin(dumpStart), std::end(dumpStart));
  ASSERT_NE(first, bytes.end());
  constexpr long kChecksumBehindLength = 138;  // offset 139 of the dump, behind F0 81 0C
  first[3 + kChecksumBehindLength] ^= 0x01;
  const fs::path file = mFolder / "damaged.mid";
  WriteText(file, std::string(bytes.begin(), bytes.end()));

  const SRun run = RunKvx({"info", file.string()});
  EXPECT_EQ(run.status, 0);
  const std::string warning = "kvx: warning: " + file.string() + ": The file holds damaged "
                              "settings (wrong checksum) for these controllers: R1.";
  EXPECT_EQ(run.err.rfind(warning, 0), 0u) << run.err;
  EXPECT_EQ(run.err.find("warning", warning.size()), std::string::npos) << "warned once";
  EXPECT_NE(run.out.find("R1\t"), std::string::npos);
}

TEST_F(KvxExitStatus, RefusedJSONLeavesAnExistingOutputAlone) {
  WriteText(mFolder / "out.mid", "keep me");
  const SRun run = RunKvx(Expand({"build", "@TMP@/damaged.json", "@TMP@/out.mid"}));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadText(mFolder / "out.mid"), "keep me");
}

TEST_F(KvxExitStatus, OutputThatCannotBeWrittenGivesOne) {
  const SRun run = RunKvx({"json", ExamplePatch("synth-setup").string()}, "/dev/full");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("(standard output): cannot be written"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kvxcli

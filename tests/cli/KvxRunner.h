// Runs the kvx program as a user would and collects what it printed, plus a temporary folder
// for the files the tests hand it.
#pragma once

#include "support/StTempFolder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kvxcli {

struct SRun {
  int status = -1;  // the exit status; 128 + signal when the program was killed
  std::string out;
  std::string err;
};

// For the programs the tests start: the parent's environment with `changes` made, and the
// sanitizers told to exit with statuses of their own (86, 87), so that their reports cannot
// pass for the program's exit status 1.
std::vector<std::string> ChildEnvironment(
    const std::vector<std::pair<std::string, std::string>>& changes = {});
// argv or envp for the strings, ending with a null pointer; valid while the strings are.
std::vector<char*> Pointers(std::vector<std::string>& strings);
// Makes an empty temporary file, puts its name in `name` and returns it open for writing.
int MakeTempFile(std::string& name);

// `stdoutFile`, when given, receives the standard output instead (for example /dev/full).
SRun RunKvx(const std::vector<std::string>& args, const std::string& stdoutFile = "");

std::filesystem::path ExamplePatch(const std::string& name);  // built example NAME.mid
std::filesystem::path ExampleSource(const std::string& relativePath);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
std::string ReadText(const std::filesystem::path& file);
void WriteText(const std::filesystem::path& file, const std::string& text);
std::vector<std::string> SplitLines(const std::string& text);  // at '\n', no final empty line

using kvxtest::StTempFolder;  // a fresh folder for the files a test hands the program

}  // namespace kvxcli

// Runs the kvx program as a user would and collects what it printed, plus a temporary folder
// for the files the tests hand it.
#pragma once

#include "support/StTempFolder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvxcli {

struct SRun {
  int status = -1;  // the exit status; 128 + signal when the program was killed
  std::string out;
  std::string err;
};

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

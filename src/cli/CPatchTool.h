// Runs the commands of the kvx tool over the same code the editor uses: CPatch loads and saves
// patch files, CHTMLWriter writes the assign list, CPatchJSON converts to and from JSON, and
// CPatch::Transmit and Retreive talk to the device through the system MIDI service. Alerts
// the core raises are collected by a terminal presenter and printed with the file's name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/CCommandLine.h"
#include "cli/CTerminalAlertPresenter.h"

class CPatch;

constexpr int kExitSuccess = 0;
constexpr int kExitFileError = 1;  // a file cannot be read or written, or is not valid; or a
                                   // transfer failed (no such port, cancelled, timed out)
constexpr int kExitUsage = 2;

class CPatchTool {
 public:
  // Normal output goes to `out`, messages to `err`.
  CPatchTool(std::ostream& out, std::ostream& err);

  // Carries out the command line and returns the exit status.
  int Run(const SCommandLine& line);

 private:
  void Execute(const SCommandLine& line);
  void Info(const std::filesystem::path& patchFile);
  void Html(const std::filesystem::path& patchFile,
            const std::optional<std::filesystem::path>& outFile);
  void Dump(const std::filesystem::path& patchFile);
  void Json(const std::filesystem::path& patchFile);
  void Build(const std::filesystem::path& jsonFile, const std::filesystem::path& outFile);
  void Import(const std::filesystem::path& oldFile, const std::filesystem::path& newFile);
  void Ports();
  void Send(const std::filesystem::path& patchFile, const SCommandLine& line);
  void Receive(const std::filesystem::path& outFile, const SCommandLine& line);

  // Each throws SFileError (see the .cpp) naming the file and what is wrong.
  void LoadPatch(CPatch& patch, const std::filesystem::path& file, std::uint32_t version);
  void SavePatch(CPatch& patch, const std::filesystem::path& file);
  void CheckWritable(const std::filesystem::path& file);
  void CheckOutput();

  std::ostream& mOut;
  std::ostream& mErr;
  CTerminalAlertPresenter mAlerts;
};

// A program run in the background, for tests that act while it runs: send it Ctrl-C once it
// says something, or keep a device running while kvx talks to it. Its standard input comes
// from a given text, its output and errors go to temporary files that can be read at any
// time. The destructor ends a program still running with SIGTERM.
#pragma once

#include "cli/KvxRunner.h"

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace kvxcli {

class CProcess {
 public:
  struct SOptions {
    std::string program = KVX_CLI_PATH;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> environment;  // added or replaced
    std::string input;  // the standard input, whole
  };

  explicit CProcess(const SOptions& options);
  ~CProcess();
  CProcess(const CProcess&) = delete;
  CProcess& operator=(const CProcess&) = delete;

  void Signal(int signal) const;
  // Waits until the standard error (or output) holds `text`; false when the program ended
  // without it or `limit` passed.
  bool WaitFor(const std::string& text, bool inErrors = true,
               std::chrono::seconds limit = std::chrono::seconds(30)) const;
  bool IsRunning() const;
  // Waits for the end; the exit status (128 + signal when killed) and what was printed.
  SRun Wait();

  std::string Out() const { return ReadText(mOutFile); }
  std::string Err() const { return ReadText(mErrFile); }

 private:
  pid_t mPid = -1;
  mutable bool mEnded = false;
  mutable int mStatus = -1;
  std::string mInFile;
  std::string mOutFile;
  std::string mErrFile;
};

// Runs kvx to its end with `environment` added and `input` as its standard input.
SRun RunKvxWith(const std::vector<std::string>& args,
                const std::vector<std::pair<std::string, std::string>>& environment,
                const std::string& input = "");

}  // namespace kvxcli

#include "cli/KvxProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace kvxcli {

namespace {

std::string MakeClosedTempFile() {
  std::string name;
  ::close(MakeTempFile(name));
  return name;
}

}  // namespace

CProcess::CProcess(const SOptions& options)
    : mInFile(MakeClosedTempFile()),
      mOutFile(MakeClosedTempFile()),
      mErrFile(MakeClosedTempFile()) {
  WriteText(mInFile, options.input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, mInFile.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, mOutFile.c_str(), O_WRONLY | O_TRUNC, 0);
  posix_spawn_file_actions_addopen(&actions, 2, mErrFile.c_str(), O_WRONLY | O_TRUNC, 0);
  std::vector<std::string> argv{options.program};
  argv.insert(argv.end(), options.args.begin(), options.args.end());
  std::vector<std::string> env = ChildEnvironment(options.environment);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envPointers = Pointers(env);
  const int result = posix_spawn(&mPid, options.program.c_str(), &actions, nullptr,
                                 argvPointers.data(), envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) {
    mPid = -1;
    mEnded = true;
  }
}

CProcess::~CProcess() {
  if (IsRunning()) {
    Signal(SIGTERM);
    Wait();
  }
  for (const std::string& file : {mInFile, mOutFile, mErrFile}) std::filesystem::remove(file);
}

void CProcess::Signal(int signal) const {
  if (!mEnded && mPid > 0) ::kill(mPid, signal);
}

bool CProcess::IsRunning() const {
  if (mEnded) return false;
  int status = 0;
  if (::waitpid(mPid, &status, WNOHANG) == mPid) {
    mEnded = true;
    mStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return !mEnded;
}

bool CProcess::WaitFor(const std::string& text, bool inErrors, std::chrono::seconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if ((inErrors ? Err() : Out()).find(text) != std::string::npos) return true;
    if (!IsRunning()) return (inErrors ? Err() : Out()).find(text) != std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

SRun CProcess::Wait() {
  if (!mEnded) {
    int status = 0;
    ::waitpid(mPid, &status, 0);
    mEnded = true;
    mStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return {mStatus, Out(), Err()};
}

SRun RunKvxWith(const std::vector<std::string>& args,
                const std::vector<std::pair<std::string, std::string>>& environment,
                const std::string& input) {
  CProcess process({KVX_CLI_PATH, args, environment, input});
  return process.Wait();
}

}  // namespace kvxcli

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

extern char** environ;

namespace kvxcli {

namespace {

std::string MakeTempFile() {
  std::string name = (std::filesystem::temp_directory_path() / "kvx-process-XXXXXX").string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) throw std::runtime_error("cannot make a temporary file");
  ::close(fd);
  return name;
}

// The parent's environment with `changes` made; sanitizer reports must not pass for the
// program's own exit status 1.
std::vector<std::string> Environment(
    const std::vector<std::pair<std::string, std::string>>& changes) {
  std::vector<std::pair<std::string, std::string>> all = changes;
  all.emplace_back("ASAN_OPTIONS", "exitcode=86");
  all.emplace_back("UBSAN_OPTIONS", "exitcode=87:halt_on_error=1:print_stacktrace=1");
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    bool replaced = false;
    for (const auto& [name, value] : all) replaced |= text.rfind(name + "=", 0) == 0;
    if (!replaced) env.push_back(text);
  }
  for (const auto& [name, value] : all) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

CProcess::CProcess(const SOptions& options)
    : mInFile(MakeTempFile()), mOutFile(MakeTempFile()), mErrFile(MakeTempFile()) {
  WriteText(mInFile, options.input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, mInFile.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, mOutFile.c_str(), O_WRONLY | O_TRUNC, 0);
  posix_spawn_file_actions_addopen(&actions, 2, mErrFile.c_str(), O_WRONLY | O_TRUNC, 0);
  std::vector<std::string> argv{options.program};
  argv.insert(argv.end(), options.args.begin(), options.args.end());
  std::vector<std::string> env = Environment(options.environment);
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

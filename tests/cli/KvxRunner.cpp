#include "cli/KvxRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace kvxcli {

std::vector<std::string> ChildEnvironment(
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

int MakeTempFile(std::string& name) {
  name = (std::filesystem::temp_directory_path() / "kvx-cli-XXXXXX").string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) throw std::runtime_error("cannot make a temporary file");
  return fd;
}

SRun RunKvx(const std::vector<std::string>& args, const std::string& stdoutFile) {
  std::string outName;
  std::string errName;
  const int outFd = stdoutFile.empty() ? MakeTempFile(outName)
                                       : ::open(stdoutFile.c_str(), O_WRONLY | O_CREAT, 0644);
  const int errFd = MakeTempFile(errName);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);

  std::vector<std::string> argv{KVX_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = ChildEnvironment();
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envPointers = Pointers(env);

  SRun run;
  pid_t pid = 0;
  if (posix_spawn(&pid, KVX_CLI_PATH, &actions, nullptr, argvPointers.data(), envPointers.data()) ==
      0) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(outFd);
  ::close(errFd);
  if (!outName.empty()) {
    run.out = ReadText(outName);
    std::filesystem::remove(outName);
  }
  run.err = ReadText(errName);
  std::filesystem::remove(errName);
  return run;
}

std::filesystem::path ExamplePatch(const std::string& name) {
  return std::filesystem::path(KVX_EXAMPLES_BINARY_DIR) / (name + ".mid");
}

std::filesystem::path ExampleSource(const std::string& relativePath) {
  return std::filesystem::path(KVX_EXAMPLES_SOURCE_DIR) / relativePath;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
  const std::string text = ReadText(file);
  return {text.begin(), text.end()};
}

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace kvxcli

// The command line of the kvx tool: which command, its file operands and options, or a request
// for help, or a usage error. Knows the usage and help texts.
// Options with a value take it as the next argument or after '=' (--to NAME, --to=NAME).
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class ECommand { None, Info, Html, Dump, Json, Build, Import, Ports, Send, Receive };

struct SCommandLine {
  enum class EAction { Run, Help, UsageError };

  EAction action = EAction::UsageError;
  ECommand command = ECommand::None;     // for Help: None asks for the general help
  std::vector<std::string> operands;     // the file names, in order
  std::optional<std::string> output;     // -o FILE (html)
  std::optional<std::string> to;         // --to PORT (send, receive): a destination
  std::optional<std::string> from;       // --from PORT (receive, send --verify): a source
  std::optional<double> timeoutSeconds;  // --timeout SECONDS (send, receive)
  bool assumeYes = false;                // --yes (send, receive)
  bool verify = false;                   // --verify (send)
  std::string error;                     // what is wrong with the usage
};

class CCommandLine {
 public:
  // `args` without the program name.
  static SCommandLine Parse(const std::vector<std::string>& args);

  // The short usage shown with a usage error.
  static std::string Usage(ECommand command = ECommand::None);
  // The text of --help (None) or CMD --help.
  static std::string Help(ECommand command);
};

#include "cli/CCommandLine.h"

#include <charconv>
#include <iterator>
#include <optional>
#include <system_error>

namespace {

// Options a command accepts (and those it requires), as bits.
enum EOption : unsigned {
  kOptionOutput = 1u << 0,   // -o FILE
  kOptionTo = 1u << 1,       // --to PORT
  kOptionFrom = 1u << 2,     // --from PORT
  kOptionYes = 1u << 3,      // --yes
  kOptionTimeout = 1u << 4,  // --timeout SECONDS
  kOptionVerify = 1u << 5,   // --verify
};
constexpr unsigned kTransferOptions = kOptionYes | kOptionTimeout;

struct SCommandInfo {
  ECommand command;
  const char* name;
  const char* synopsis;
  std::size_t operandCount;
  unsigned options;   // accepted
  unsigned required;  // must be given
  const char* summary;
  const char* details;
};

const SCommandInfo kCommands[] = {
    {ECommand::Info, "info", "info PATCH", 1, 0, 0,
     "the title and the 50 assignments, one line each",
     "Prints the title of the patch on the first line, then one line per controller:\n"
     "DESCRIPTOR<TAB>CAPTION<TAB>NAME, with the caption as the device picture shows it.\n"
     "Control characters in the title and names are shown as spaces.\n"},
    {ECommand::Html, "html", "html PATCH [-o OUT]", 1, kOptionOutput, 0,
     "the assign list as an HTML page",
     "Writes the assign list of the patch as an HTML page to OUT, or to the standard\n"
     "output without -o. The page is the one the editor exports.\n"},
    {ECommand::Dump, "dump", "dump PATCH", 1, 0, 0, "the 50 bulk dumps in hexadecimal",
     "Prints the bulk dump of each controller (141 bytes, the message the device\n"
     "receives) as upper-case hexadecimal byte pairs separated by spaces, one line\n"
     "per controller.\n"},
    {ECommand::Json, "json", "json PATCH", 1, 0, 0, "the patch as JSON, without loss",
     "Prints the patch as JSON: title, copyright notices and every byte of every\n"
     "controller record. 'kvx build' turns it back into the same patch file.\n"
     "The format is described in docs/json-format.md.\n"},
    {ECommand::Build, "build", "build JSON OUT", 2, 0, 0, "writes a patch file from such a JSON",
     "Reads a JSON patch (the form 'kvx json' prints) and writes the patch file OUT\n"
     "as the editor saves it. A JSON that is not valid is refused with the place and\n"
     "the reason of the fault; nothing is written then.\n"},
    {ECommand::Import, "import", "import OLD NEW", 2, 0, 0,
     "converts a patch file of the older device format",
     "Reads OLD, a patch file of the older device format (27 controllers), moves its\n"
     "assignments to their controllers and writes NEW in the current format.\n"},
    {ECommand::Ports, "ports", "ports", 0, 0, 0, "the MIDI sources and destinations",
     "Lists the MIDI sources (for --from) and destinations (for --to), one per line:\n"
     "source|destination<TAB>UNIQUE-ID<TAB>NAME. The unique ID stays the same for\n"
     "the same port across runs. The built-in device \"KVX Virtual Device (built-in)\"\n"
     "is always there. KVX_MIDI_SYSTEM=alsa|jack|none chooses the MIDI system.\n"},
    {ECommand::Send, "send",
     "send PATCH --to PORT [--verify --from PORT] [--yes] [--timeout SECONDS]", 1,
     kOptionTo | kOptionFrom | kOptionVerify | kTransferOptions, kOptionTo,
     "sends a patch to the device",
     "Asks the device at the destination PORT (a name or a unique ID from 'kvx ports')\n"
     "to receive, then sends the 50 bulk dumps of PATCH, at least 4 ticks (1/15 s)\n"
     "apart, with a progress bar on the standard error.\n"
     "  --verify --from PORT  then fetch the patch back from the source PORT and\n"
     "                     compare it; send again (twice at most) while some\n"
     "                     controllers differ; exit status 1 when they still do\n"
     "  --yes              send without asking first\n"
     "  --timeout SECONDS  give up (exit status 1) when the transfer takes longer\n"
     "Ctrl-C cancels between two dumps; the device keeps the dumps sent before.\n"
     "When the MIDI server reports dropouts during the send, kvx says so.\n"},
    {ECommand::Receive, "receive",
     "receive OUT --from PORT --to PORT [--yes] [--timeout SECONDS]", 1,
     kOptionFrom | kOptionTo | kTransferOptions, kOptionFrom | kOptionTo,
     "fetches the device's patch into a patch file",
     "Asks the device at the destination --to PORT to transmit, takes its 50 bulk\n"
     "dumps from the source --from PORT and writes them to the patch file OUT once\n"
     "all have come and the device is quiet. PORT is a name or a unique ID from\n"
     "'kvx ports'.\n"
     "  --yes              receive without asking first\n"
     "  --timeout SECONDS  give up (exit status 1) when the device has not sent\n"
     "                     everything by then; without it kvx waits for Ctrl-C\n"
     "OUT is written only when the whole patch came in.\n"},
};

const char* const kExitStatusText =
    "Exit status: 0 success; 1 a file cannot be read or written, or is not a valid\n"
    "patch or JSON file, or a transfer failed (no such MIDI port, cancelled, timed\n"
    "out, MIDI not usable); 2 wrong usage.\n";

struct SValueOption {
  EOption option;
  const char* name;
  const char* valueText;  // what the value is, for the message when it is missing
};

const SValueOption kValueOptions[] = {
    {kOptionOutput, "-o", "a file name"},
    {kOptionTo, "--to", "a port name or unique ID"},
    {kOptionFrom, "--from", "a port name or unique ID"},
    {kOptionTimeout, "--timeout", "a number of seconds"},
};

// The longest timeout accepted: a day.
constexpr double kMaxTimeoutSeconds = 24 * 60 * 60;

const SCommandInfo* FindCommand(const std::string& name) {
  for (const SCommandInfo& info : kCommands)
    if (name == info.name) return &info;
  return nullptr;
}

const SCommandInfo* FindCommand(ECommand command) {
  for (const SCommandInfo& info : kCommands)
    if (command == info.command) return &info;
  return nullptr;
}

bool IsHelpOption(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// The value option `arg` names (as "--to" or "--to=VALUE"), or null.
const SValueOption* FindValueOption(const std::string& arg,
                                    std::optional<std::string>& inlineValue) {
  for (const SValueOption& option : kValueOptions) {
    const std::string name = option.name;
    if (arg == name) return &option;
    if (arg.size() > name.size() + 1 && arg.compare(0, name.size() + 1, name + "=") == 0) {
      inlineValue = arg.substr(name.size() + 1);
      return &option;
    }
  }
  return nullptr;
}

std::optional<std::string>& Slot(SCommandLine& line, EOption option) {
  switch (option) {
    case kOptionTo:
      return line.to;
    case kOptionFrom:
      return line.from;
    default:
      return line.output;
  }
}

// A number of seconds above 0 and at most a day, or nothing.
std::optional<double> ParseSeconds(const std::string& text) {
  double seconds = 0;
  const char* const last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, seconds);
  if (error != std::errc() || end != last || !(seconds > 0) || seconds > kMaxTimeoutSeconds)
    return std::nullopt;
  return seconds;
}

SCommandLine UsageError(ECommand command, std::string error) {
  SCommandLine line;
  line.command = command;
  line.error = std::move(error);
  return line;
}

SCommandLine HelpRequest(ECommand command) {
  SCommandLine line;
  line.action = SCommandLine::EAction::Help;
  line.command = command;
  return line;
}

constexpr std::size_t kSynopsisWidth = 22;

std::string CountText(std::size_t count) {
  if (count == 0) return "no file name";
  return count == 1 ? "one file name" : std::to_string(count) + " file names";
}

}  // namespace

SCommandLine CCommandLine::Parse(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(ECommand::None, "no command given");
  if (IsHelpOption(args[0])) return HelpRequest(ECommand::None);
  const SCommandInfo* info = FindCommand(args[0]);
  if (info == nullptr) return UsageError(ECommand::None, "unknown command '" + args[0] + "'");

  SCommandLine line;
  line.action = SCommandLine::EAction::Run;
  line.command = info->command;
  std::optional<std::string> timeoutText;
  bool optionsEnded = false;
  for (auto arg = std::next(args.begin()); arg != args.end(); ++arg) {
    std::optional<std::string> value;
    if (optionsEnded || arg->size() < 2 || arg->front() != '-') {
      line.operands.push_back(*arg);
    } else if (IsHelpOption(*arg)) {
      return HelpRequest(info->command);
    } else if (*arg == "--") {
      optionsEnded = true;
    } else if (*arg == "--yes" && (info->options & kOptionYes) != 0) {
      line.assumeYes = true;
    } else if (*arg == "--verify" && (info->options & kOptionVerify) != 0) {
      line.verify = true;
    } else if (const SValueOption* option = FindValueOption(*arg, value);
               option != nullptr && (info->options & option->option) != 0) {
      std::optional<std::string>& slot =
          option->option == kOptionTimeout ? timeoutText : Slot(line, option->option);
      if (slot) return UsageError(info->command, std::string(option->name) + " is given twice");
      if (!value) {
        if (std::next(arg) == args.end())
          return UsageError(info->command,
                            std::string(option->name) + " needs " + option->valueText);
        value = *++arg;
      }
      slot = *value;
    } else {
      return UsageError(info->command, "unknown option '" + *arg + "' for " + info->name);
    }
  }
  if (line.operands.size() != info->operandCount) {
    return UsageError(info->command, std::string(info->name) + " takes " +
                                         CountText(info->operandCount) + ", not " +
                                         std::to_string(line.operands.size()));
  }
  for (const SValueOption& option : kValueOptions) {
    const bool given = option.option == kOptionTimeout ? timeoutText.has_value()
                                                       : Slot(line, option.option).has_value();
    if ((info->required & option.option) != 0 && !given)
      return UsageError(info->command, std::string(info->name) + " needs " + option.name + " PORT");
  }
  if (info->command == ECommand::Send && line.verify != line.from.has_value()) {
    return UsageError(info->command, line.verify ? "--verify needs --from PORT to fetch the patch back"
                                                 : "--from is used only with --verify");
  }
  if (timeoutText) {
    line.timeoutSeconds = ParseSeconds(*timeoutText);
    if (!line.timeoutSeconds)
      return UsageError(info->command, "--timeout needs a number of seconds above 0 and at "
                                       "most a day, not '" + *timeoutText + "'");
  }
  return line;
}

std::string CCommandLine::Usage(ECommand command) {
  if (const SCommandInfo* info = FindCommand(command)) {
    return std::string("usage: kvx ") + info->synopsis + "\n" + "Run 'kvx " + info->name +
           " --help' for more.\n";
  }
  std::string text = "usage: kvx COMMAND ARGS...\ncommands:";
  for (const SCommandInfo& each : kCommands) text += std::string(" ") + each.name;
  return text + "\nRun 'kvx --help' for more.\n";
}

std::string CCommandLine::Help(ECommand command) {
  if (const SCommandInfo* info = FindCommand(command)) {
    return std::string("usage: kvx ") + info->synopsis + "\n\n" + info->details + "\n" +
           kExitStatusText;
  }
  std::string text =
      "usage: kvx COMMAND ARGS...\n\n"
      "Inspects, exports and converts patch files of the KVX controller keyboard, and\n"
      "sends them to the device or fetches them from it.\n\n"
      "Commands:\n";
  for (const SCommandInfo& info : kCommands) {
    // A synopsis too long for its column gets a line of its own.
    std::string synopsis = info.synopsis;
    synopsis += synopsis.size() < kSynopsisWidth
                    ? std::string(kSynopsisWidth - synopsis.size(), ' ')
                    : "\n" + std::string(kSynopsisWidth + 2, ' ');
    text += "  " + synopsis + info.summary + "\n";
  }
  return text + "\nRun 'kvx COMMAND --help' for the details of a command.\n" + kExitStatusText;
}

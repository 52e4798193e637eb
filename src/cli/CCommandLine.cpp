#include "cli/CCommandLine.h"

#include <iterator>

namespace {

struct SCommandInfo {
  ECommand command;
  const char* name;
  const char* synopsis;
  std::size_t operandCount;
  bool takesOutput;  // accepts -o FILE
  const char* summary;
  const char* details;
};

const SCommandInfo kCommands[] = {
    {ECommand::Info, "info", "info PATCH", 1, false,
     "the title and the 50 assignments, one line each",
     "Prints the title of the patch on the first line, then one line per controller:\n"
     "DESCRIPTOR<TAB>CAPTION<TAB>NAME, with the caption as the device picture shows it.\n"
     "Control characters in the title and names are shown as spaces.\n"},
    {ECommand::Html, "html", "html PATCH [-o OUT]", 1, true, "the assign list as an HTML page",
     "Writes the assign list of the patch as an HTML page to OUT, or to the standard\n"
     "output without -o. The page is the one the editor exports.\n"},
    {ECommand::Dump, "dump", "dump PATCH", 1, false, "the 50 bulk dumps in hexadecimal",
     "Prints the bulk dump of each controller (141 bytes, the message the device\n"
     "receives) as upper-case hexadecimal byte pairs separated by spaces, one line\n"
     "per controller.\n"},
    {ECommand::Json, "json", "json PATCH", 1, false, "the patch as JSON, without loss",
     "Prints the patch as JSON: title, copyright notices and every byte of every\n"
     "controller record. 'kvx build' turns it back into the same patch file.\n"
     "The format is described in docs/json-format.md.\n"},
    {ECommand::Build, "build", "build JSON OUT", 2, false, "writes a patch file from such a JSON",
     "Reads a JSON patch (the form 'kvx json' prints) and writes the patch file OUT\n"
     "as the editor saves it. A JSON that is not valid is refused with the place and\n"
     "the reason of the fault; nothing is written then.\n"},
    {ECommand::Import, "import", "import OLD NEW", 2, false,
     "converts a patch file of the older device format",
     "Reads OLD, a patch file of the older device format (27 controllers), moves its\n"
     "assignments to their controllers and writes NEW in the current format.\n"},
};

const char* const kExitStatusText =
    "Exit status: 0 success; 1 a file cannot be read or written, or is not a valid\n"
    "patch or JSON file; 2 wrong usage.\n";

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

std::string CountText(std::size_t count) {
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
  bool optionsEnded = false;
  for (auto arg = std::next(args.begin()); arg != args.end(); ++arg) {
    if (optionsEnded || arg->size() < 2 || arg->front() != '-') {
      line.operands.push_back(*arg);
    } else if (IsHelpOption(*arg)) {
      return HelpRequest(info->command);
    } else if (*arg == "--") {
      optionsEnded = true;
    } else if (*arg == "-o" && info->takesOutput) {
      if (line.output) return UsageError(info->command, "-o is given twice");
      if (std::next(arg) == args.end()) return UsageError(info->command, "-o needs a file name");
      line.output = *++arg;
    } else {
      return UsageError(info->command, "unknown option '" + *arg + "' for " + info->name);
    }
  }
  if (line.operands.size() != info->operandCount) {
    return UsageError(info->command, std::string(info->name) + " takes " +
                                         CountText(info->operandCount) + ", not " +
                                         std::to_string(line.operands.size()));
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
      "Inspects, exports and converts patch files of the KVX controller keyboard.\n\n"
      "Commands:\n";
  for (const SCommandInfo& info : kCommands) {
    std::string synopsis = info.synopsis;
    synopsis.resize(22, ' ');
    text += "  " + synopsis + info.summary + "\n";
  }
  return text + "\nRun 'kvx COMMAND --help' for the details of a command.\n" + kExitStatusText;
}

// kvx: inspects, exports and converts patch files from the command line, and sends them to
// the device or fetches them from it.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CCommandLine.h"
#include "cli/CPatchTool.h"

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  CPatchTool tool(std::cout, std::cerr);
  return tool.Run(CCommandLine::Parse(args));
}

// trovex-cli: the command-line front end.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.hpp"
#include "framework/Platform.hpp"

int main(int argc, char** argv) {
  // Results lines end in "\n" on every platform.
  trovex::platform::SetBinaryOutput(stdout);
  trovex::platform::SetBinaryOutput(stderr);
  const std::vector<std::string> args = trovex::platform::CommandLineArguments(argc, argv);
  const trovex::ParsedCommandLine parsed = trovex::ParseCommandLine(args);
  if (!parsed.options) {
    std::fprintf(stderr, "trovex-cli: %s\n%s\n", parsed.problem.c_str(), trovex::kCliUsage);
    return trovex::csUsage;
  }
  switch (parsed.options->action) {
    case trovex::CliAction::Help:
      std::fputs(trovex::CliHelpText().c_str(), stdout);
      return trovex::csSuccess;
    case trovex::CliAction::Version:
      std::printf("trovex-cli %s\n", TROVEX_VERSION);
      return trovex::csSuccess;
    case trovex::CliAction::List:
      return trovex::RunListing(*parsed.options, stdout, stderr);
    case trovex::CliAction::Find:
      return trovex::RunFind(*parsed.options, stdout, stderr);
    case trovex::CliAction::Run:
      break;
  }
  return trovex::RunCommandLine(*parsed.options, stdout, stderr);
}

// Runs a program as a child process and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace trovex::test {

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// Runs argv[0] with the given arguments in dir (when not empty).
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& dir = "");

// trovex-cli with the given arguments.
ProcessResult RunCli(const std::vector<std::string>& args, const std::string& dir = "");

}  // namespace trovex::test

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

namespace trovex::test {

// Starts trovex-cli with the given arguments in dir, sends it SIGINT once it
// has used cpuSeconds of processor time (checked every millisecond, for 30
// seconds at most), so that it is in the middle of its work, and collects its
// end like RunCli.
ProcessResult RunCliInterrupted(const std::vector<std::string>& args, const std::string& dir, double cpuSeconds);

}  // namespace trovex::test

// Runs a program as a child process and collects what it printed.
#pragma once

#include <functional>
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

// Starts trovex-cli with the given arguments in dir, sends it SIGINT as soon
// as ready() holds (checked every millisecond, for 30 seconds at most), and
// collects its end like RunCli.
ProcessResult RunCliInterrupted(const std::vector<std::string>& args, const std::string& dir,
                                const std::function<bool()>& ready);

}  // namespace trovex::test

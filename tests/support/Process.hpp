// Runs a program as a child process and collects what it printed.
#pragma once

#include <chrono>
#include <string>
#include <vector>

// The outside checkers (python3, ImageMagick) are programs of the build machine, which a
// Windows build running under wine cannot start; there their cases are
// skipped, and the native build runs them on the same code.
#ifdef _WIN32
#define TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS() GTEST_SKIP() << "outside checkers (python3, ImageMagick) run in the native build only"
#else
#define TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS() static_cast<void>(0)
#endif

namespace trovex::test {

struct ProcessResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
  long peakMemoryKiB = 0;  // the child's largest resident set (0 where unknown)
};

// Whether peakMemoryKiB is measured: not in the Windows build, which under
// wine cannot ask about a child that has ended.
#ifdef _WIN32
constexpr bool kChildMemoryMeasured = false;
#else
constexpr bool kChildMemoryMeasured = true;
#endif

// Runs argv[0] with the given arguments in dir (when not empty).
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& dir = "");

// trovex-cli with the given arguments.
ProcessResult RunCli(const std::vector<std::string>& args, const std::string& dir = "");

// The status of a process that KillSelf or RunKilledAfter ended: 128 +
// SIGKILL on POSIX, the exit code given to TerminateProcess on Windows.
constexpr int kKilledStatus = 137;

// Ends this process at once, as a kill does: no destructors, no flushing.
[[noreturn]] void KillSelf();

// The path of the running program, for running it again as a child.
std::string OwnProgramPath();

// Runs argv in dir like RunProcess, and kills it after delay unless it has
// ended by then; its status is kKilledStatus when it was killed.
ProcessResult RunKilledAfter(const std::vector<std::string>& argv, const std::string& dir,
                             std::chrono::microseconds delay);

// The id of a child process that has ended (trovex-cli --version): the id of
// no running process, as a killed writer's is.
unsigned long EndedProcessId();

}  // namespace trovex::test

namespace trovex::test {

// Starts trovex-cli with the given arguments in dir, sends it SIGINT once it
// has used cpuSeconds of processor time (checked every millisecond, for 30
// seconds at most), so that it is in the middle of its work, and collects its
// end like RunCli.
ProcessResult RunCliInterrupted(const std::vector<std::string>& args, const std::string& dir, double cpuSeconds);

}  // namespace trovex::test

#ifdef _WIN32
namespace trovex::test {

// True where the Windows build runs under wine rather than on Windows.
bool RunningUnderWine();

}  // namespace trovex::test
#endif

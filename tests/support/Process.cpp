// Child processes on POSIX systems.
#ifndef _WIN32

#include "support/Process.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <thread>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace trovex::test {

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The processor time a running child has used, from /proc/PID/stat.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) user = std::stoull(field);
    if (i == 15) system = std::stoull(field);
  }
  return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Runs argv in dir; once it has started, during(pid) runs before the wait.
ProcessResult RunAndWait(const std::vector<std::string>& argv, const std::string& dir,
                         const std::function<void(pid_t)>& during) {
  char outName[] = "/tmp/trovex-out-XXXXXX";
  char errName[] = "/tmp/trovex-err-XXXXXX";
  const int outFd = ::mkstemp(outName);
  const int errFd = ::mkstemp(errName);
  ProcessResult result;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(outFd, 1);
    ::dup2(errFd, 2);
    const int nullFd = ::open("/dev/null", O_RDONLY);
    ::dup2(nullFd, 0);
    if (!dir.empty() && ::chdir(dir.c_str()) != 0) ::_exit(126);
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  if (during) during(pid);
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  result.peakMemoryKiB = usage.ru_maxrss;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  ::close(outFd);
  ::close(errFd);
  result.out = Slurp(outName);
  result.err = Slurp(errName);
  ::unlink(outName);
  ::unlink(errName);
  return result;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& dir) {
  return RunAndWait(argv, dir, nullptr);
}

ProcessResult RunCli(const std::vector<std::string>& args, const std::string& dir) {
  std::vector<std::string> argv{TROVEX_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv, dir);
}

void KillSelf() {
  ::kill(::getpid(), SIGKILL);
  ::_exit(kKilledStatus);
}

std::string OwnProgramPath() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

ProcessResult RunKilledAfter(const std::vector<std::string>& argv, const std::string& dir,
                             std::chrono::microseconds delay) {
  return RunAndWait(argv, dir, [delay](pid_t pid) {
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);  // an ended child is not reaped yet, so the id is still its own
  });
}

unsigned long EndedProcessId() {
  pid_t id = 0;
  RunAndWait({TROVEX_CLI_PATH, "--version"}, "", [&id](pid_t pid) { id = pid; });
  return static_cast<unsigned long>(id);
}

ProcessResult RunCliInterrupted(const std::vector<std::string>& args, const std::string& dir, double cpuSeconds) {
  std::vector<std::string> argv{TROVEX_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunAndWait(argv, dir, [cpuSeconds](pid_t pid) {
    for (int waited = 0; waited < 30'000 && CpuSeconds(pid) < cpuSeconds; ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(pid, SIGINT);
  });
}

}  // namespace trovex::test

#endif

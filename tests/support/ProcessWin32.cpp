// Child processes on Windows: the output goes to temporary files, which are
// read once the child has ended.
#ifdef _WIN32

#include "support/Process.hpp"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <functional>
#include <thread>

namespace trovex::test {

namespace {

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// One argument quoted as the C runtime splits a command line.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') ++i, ++backslashes;
    if (i == arg.size()) {
      out.append(backslashes * 2, L'\\');
      break;
    }
    out.append(arg[i] == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    out.push_back(arg[i]);
  }
  return out + L"\"";
}

// A temporary file that a child inherits as a standard handle.
class CaptureFile {
 public:
  CaptureFile() {
    wchar_t dir[MAX_PATH];
    wchar_t name[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"trv", 0, name);
    path_ = name;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    handle_ = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  }
  ~CaptureFile() {
    CloseHandle(handle_);
    DeleteFileW(path_.c_str());
  }
  CaptureFile(const CaptureFile&) = delete;
  CaptureFile& operator=(const CaptureFile&) = delete;

  HANDLE Handle() const { return handle_; }
  std::string Contents() const {
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    SetFilePointer(handle_, 0, nullptr, FILE_BEGIN);
    while (ReadFile(handle_, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
  }

 private:
  std::wstring path_;
  HANDLE handle_;
};

// The processor time a child has used: the sum over its threads, since
// wine's GetProcessTimes counts only the first thread.
double CpuSeconds(DWORD processId) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  unsigned long long total = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != processId) continue;
    const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    if (thread == nullptr) continue;
    FILETIME created, exited, kernel, user;
    if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
      total += ((static_cast<unsigned long long>(kernel.dwHighDateTime) << 32) | kernel.dwLowDateTime) +
               ((static_cast<unsigned long long>(user.dwHighDateTime) << 32) | user.dwLowDateTime);
    }
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return static_cast<double>(total) / 1e7;
}

BOOL WINAPI IgnoreControlEvent(DWORD) { return TRUE; }

// Runs argv in dir (by default in a process group of its own, so that it can
// be sent Ctrl-Break alone); once it has started, during(process) runs before
// the wait.
ProcessResult RunAndWait(const std::vector<std::string>& argv, const std::string& dir,
                         const std::function<void(const PROCESS_INFORMATION&)>& during,
                         DWORD flags = CREATE_NEW_PROCESS_GROUP) {
  std::wstring commandLine;
  for (const auto& arg : argv) commandLine += (commandLine.empty() ? L"" : L" ") + Quote(Widen(arg));
  CaptureFile out;
  CaptureFile err;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = out.Handle();
  startup.hStdError = err.Handle();
  PROCESS_INFORMATION process{};
  const std::wstring wideDir = Widen(dir);
  ProcessResult result;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                      dir.empty() ? nullptr : wideDir.c_str(), &startup, &process)) {
    CloseHandle(input);
    result.status = 127;
    return result;
  }
  if (during) during(process);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  result.status = static_cast<int>(status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(input);
  result.out = out.Contents();
  result.err = err.Contents();
  return result;
}

}  // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& dir) {
  return RunAndWait(argv, dir, nullptr);
}

ProcessResult RunCli(const std::vector<std::string>& args, const std::string& dir) {
  std::vector<std::string> argv{TROVEX_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv, dir);
}

void KillSelf() {
  TerminateProcess(GetCurrentProcess(), kKilledStatus);
  ExitProcess(kKilledStatus);
}

std::string OwnProgramPath() {
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  const int size = WideCharToMultiByte(CP_ACP, 0, path, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, path, static_cast<int>(length), narrow.data(), size, nullptr, nullptr);
  return narrow;
}

ProcessResult RunKilledAfter(const std::vector<std::string>& argv, const std::string& dir,
                             std::chrono::microseconds delay) {
  return RunAndWait(argv, dir, [delay](const PROCESS_INFORMATION& process) {
    std::this_thread::sleep_for(delay);
    TerminateProcess(process.hProcess, kKilledStatus);  // fails, changing nothing, once the child has ended
  });
}

unsigned long EndedProcessId() {
  unsigned long id = 0;
  RunAndWait({TROVEX_CLI_PATH, "--version"}, "", [&id](const PROCESS_INFORMATION& process) { id = process.dwProcessId; });
  return id;
}

ProcessResult RunCliInterrupted(const std::vector<std::string>& args, const std::string& dir, double cpuSeconds) {
  std::vector<std::string> argv{TROVEX_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  // Windows sends Ctrl-Break to the child's own process group. Wine sends no
  // event to a single group, nor to a process started without a console of
  // its own; there this process takes a fresh console that the child shares,
  // swallows the events itself, and sends Ctrl-C to every process on it.
  const bool wine = RunningUnderWine();
  if (wine) {
    FreeConsole();
    AllocConsole();
    SetConsoleCtrlHandler(IgnoreControlEvent, TRUE);
  }
  const auto interrupt = [cpuSeconds, wine](const PROCESS_INFORMATION& process) {
    for (int waited = 0; waited < 30'000 && CpuSeconds(process.dwProcessId) < cpuSeconds; ++waited) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (wine) GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    else GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process.dwProcessId);
  };
  return RunAndWait(argv, dir, interrupt, wine ? 0 : CREATE_NEW_PROCESS_GROUP);
}

}  // namespace trovex::test

#endif

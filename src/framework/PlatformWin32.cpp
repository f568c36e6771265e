// The platform layer on Windows. Paths are converted between the program's
// 8-bit text and UTF-16 by the console's code page (the ANSI code page when
// the process has no console), and go to the system through the W functions,
// with the long-path prefix when they are too long for the plain forms.
#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "framework/Platform.hpp"

namespace trovex::platform {

namespace {

HANDLE Win(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle Ours(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

UINT CodePage() {
  static const UINT page = GetConsoleCP() != 0 ? GetConsoleCP() : GetACP();
  return page;
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CodePage(), 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CodePage(), 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CodePage(), 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CodePage(), 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

std::wstring FullWidePath(const std::wstring& wide) {
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return wide;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  full.resize(written < length ? written : 0);
  return full.empty() ? wide : full;
}

// The path as the W functions take it. Paths near or over the classic limit
// of 260 characters (248 for folders) are made absolute and given the
// long-path prefix, which lifts the limit.
std::wstring SystemPath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.size() < 240 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  std::wstring full = FullWidePath(wide);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

FileStatus FromInformation(const BY_HANDLE_FILE_INFORMATION& info) {
  FileStatus status;
  status.exists = true;
  status.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.regular = !status.directory && (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
  status.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  status.id = {info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return status;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return where;
}

// One ReadFile or WriteFile moves at most this much.
constexpr std::size_t kLargestTransfer = 1u << 30;

}  // namespace

FileStatus StatusOf(FileHandle file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(Win(file), &info) ? FromInformation(info) : FileStatus{};
}

FileStatus StatusOf(const std::string& path) {
  // Opening for no access at all reads the status of files that others hold
  // without sharing, and of folders.
  const HANDLE handle = CreateFileW(SystemPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  const FileStatus status = StatusOf(Ours(handle));
  CloseHandle(handle);
  return status;
}

bool Exists(const std::string& path) { return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

FileHandle OpenExisting(const std::string& path, Access access, OpenRefusal& refusal) {
  refusal = OpenRefusal::Other;
  const std::wstring name = SystemPath(path);
  const DWORD rights = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  // Folders cannot be opened without FILE_FLAG_BACKUP_SEMANTICS, so they fail here.
  const HANDLE file = CreateFileW(name.c_str(), rights, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    // A file marked read-only is refused for writing even where the system
    // would open it (an administrator, or wine run by root), as on POSIX.
    BY_HANDLE_FILE_INFORMATION info{};
    const bool readOnly = access == Access::ReadWrite && GetFileInformationByHandle(file, &info) &&
                          (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    if (GetFileType(file) == FILE_TYPE_DISK && !readOnly) return Ours(file);
    CloseHandle(file);
    refusal = readOnly ? OpenRefusal::ReadOnly : OpenRefusal::NotRegularFile;
    return kNoFile;
  }
  // The open's reason stays the last error for the caller's message.
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesW(name.c_str());
  SetLastError(error);
  if (attributes == INVALID_FILE_ATTRIBUTES) return kNoFile;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) refusal = OpenRefusal::NotRegularFile;
  else if (access == Access::ReadWrite && (attributes & FILE_ATTRIBUTE_READONLY)) refusal = OpenRefusal::ReadOnly;
  return kNoFile;
}

FileHandle CreateNew(const std::string& path, bool& nameTaken) {
  const HANDLE handle = CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = GetLastError();
  nameTaken = handle == INVALID_HANDLE_VALUE && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
  return Ours(handle);
}

std::FILE* OpenReadStream(const std::string& path) { return _wfopen(SystemPath(path).c_str(), L"rb"); }

FileHandle CreateUnnamed(const std::string&) { return kNoFile; }

bool NameUnnamed(FileHandle, const std::string&) { return false; }

std::string PathOfOpenFile(FileHandle) { return {}; }

bool CloseFile(FileHandle file) { return file == kNoFile || CloseHandle(Win(file)) != 0; }

std::int64_t ReadAt(FileHandle file, void* buffer, std::size_t count, std::int64_t offset) {
  OVERLAPPED where = At(offset);
  DWORD got = 0;
  const auto asked = static_cast<DWORD>(std::min(count, kLargestTransfer));
  if (ReadFile(Win(file), buffer, asked, &got, &where)) return got;
  return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

std::int64_t WriteAt(FileHandle file, const void* buffer, std::size_t count, std::int64_t offset) {
  OVERLAPPED where = At(offset);
  DWORD put = 0;
  const auto asked = static_cast<DWORD>(std::min(count, kLargestTransfer));
  return WriteFile(Win(file), buffer, asked, &put, &where) ? static_cast<std::int64_t>(put) : -1;
}

int LastError() {
  switch (GetLastError()) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    default:
      return EIO;
  }
}

bool Truncate(FileHandle file, std::int64_t size) {
  LARGE_INTEGER end{};
  end.QuadPart = size;
  return SetFilePointerEx(Win(file), end, nullptr, FILE_BEGIN) && SetEndOfFile(Win(file));
}

bool SetPermissions(FileHandle, unsigned) { return true; }

// Windows takes that choice only when a file is opened.
bool BypassCache(FileHandle, bool bypass) { return !bypass; }

// Windows has no call that copies a range between two open files.
std::int64_t KernelCopy(FileHandle, std::int64_t&, FileHandle, std::int64_t&, std::int64_t) { return 0; }

// The system replaces no file that is open, so an in-place change closes
// the file it read before it commits.
bool MoveOver(const std::string& from, const std::string& to) {
  return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

bool MakeDirectory(const std::string& path) { return CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0; }

std::string FullPath(const std::string& path) {
  std::wstring full = FullWidePath(Widen(path));
  // Keep the separator of a root: "C:\" and "\".
  while (full.size() > 1 && (full.back() == L'\\' || full.back() == L'/') && full[full.size() - 2] != L':') {
    full.pop_back();
  }
  return Narrow(full);
}

std::string NameCompareKey(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.empty()) return {};
  CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string key(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, key.data(), length, nullptr, nullptr);
  return key;
}

std::string CurrentDirectory() {
  const DWORD length = GetCurrentDirectoryW(0, nullptr);
  std::wstring dir(length, L'\0');
  const DWORD written = GetCurrentDirectoryW(length, dir.data());
  if (written == 0 || written >= length) return ".";
  dir.resize(written);
  return Narrow(dir);
}

bool ChangeDirectory(const std::string& path) { return SetCurrentDirectoryW(Widen(path).c_str()) != 0; }

unsigned long ProcessId() { return GetCurrentProcessId(); }

bool ProcessRunning(unsigned long id) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD status = 0;
  const bool running = !GetExitCodeProcess(process, &status) || status == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

std::int64_t FreeSpace(const std::string& dir) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(SystemPath(dir).c_str(), &available, nullptr, nullptr)) return -1;
  return static_cast<std::int64_t>(available.QuadPart);
}

namespace {

// The folder of the running program, without a trailing separator.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/"));
}

}  // namespace

void* OpenLibrary(const std::string& path, std::string& error) {
  std::wstring name = SystemPath(path);
  if (name.find_first_of(L"\\/:") == std::wstring::npos) name = ProgramFolder() + L"\\" + name;
  DWORD previousMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  const HMODULE library = LoadLibraryW(name.c_str());
  const DWORD code = GetLastError();
  SetThreadErrorMode(previousMode, nullptr);
  if (library == nullptr) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(text, length) : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
      message.pop_back();
    }
    error = message.empty() ? "error " + std::to_string(code) : Narrow(message);
  }
  return library;
}

void* LibraryExport(void* library, const std::string& name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

void CloseLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

// The name that the mingw-w64 toolchain gives the libraries it builds.
std::string LibraryFileName(const std::string& name) { return "lib" + name + ".dll"; }

// The arguments as typed, from the UTF-16 command line, in the code page
// that paths are converted with; argv holds them in the ANSI code page.
std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

namespace {

HANDLE ConsoleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

}  // namespace

void SetBinaryOutput(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  return GetConsoleMode(ConsoleOf(stream), &mode) != 0;
}

int TerminalColumns(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(ConsoleOf(stream), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

bool EnableTerminalControl(std::FILE* stream) {
  DWORD mode = 0;
  const HANDLE console = ConsoleOf(stream);
  if (!GetConsoleMode(console, &mode)) return false;
  return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

namespace {

void (*interruptHandler)() = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  // The next Ctrl-C finds no handler of ours and ends the program.
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  interruptHandler();
  return TRUE;
}

}  // namespace

void OnInterrupt(void (*handler)()) {
  interruptHandler = handler;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace trovex::platform

#endif

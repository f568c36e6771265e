// The platform layer on POSIX systems.
#ifndef _WIN32

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <system_error>

#include "framework/Platform.hpp"

namespace trovex::platform {

namespace {

int Fd(FileHandle file) { return static_cast<int>(file); }

FileStatus FromStat(const struct stat& info) {
  FileStatus status;
  status.exists = true;
  status.directory = S_ISDIR(info.st_mode);
  status.regular = S_ISREG(info.st_mode);
  status.size = info.st_size;
  status.id = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  status.permissions = info.st_mode & 07777;
  return status;
}

}  // namespace

FileStatus StatusOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? FromStat(info) : FileStatus{};
}

FileStatus StatusOf(FileHandle file) {
  struct stat info {};
  return ::fstat(Fd(file), &info) == 0 ? FromStat(info) : FileStatus{};
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

FileHandle OpenExisting(const std::string& path, Access access, OpenRefusal& refusal) {
  refusal = OpenRefusal::Other;
  // Opened without waiting, so that a FIFO is refused instead of blocking
  // until some writer opens it.
  const int fd = ::open(path.c_str(), (access == Access::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  if (fd < 0) {
    // The open's reason stays the last error for the caller's message.
    const int error = errno;
    if (access == Access::ReadWrite && (errno == EACCES || errno == EROFS) && ::access(path.c_str(), R_OK) == 0) {
      refusal = OpenRefusal::ReadOnly;
    } else if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      refusal = OpenRefusal::NotRegularFile;
    }
    errno = error;
    return kNoFile;
  }
  const bool stated = ::fstat(fd, &info) == 0;
  const bool readOnly = stated && access == Access::ReadWrite && (info.st_mode & 0222) == 0;
  if (stated && S_ISREG(info.st_mode) && !readOnly && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) {
    return fd;
  }
  ::close(fd);
  if (stated && !S_ISREG(info.st_mode)) refusal = OpenRefusal::NotRegularFile;
  else if (readOnly) refusal = OpenRefusal::ReadOnly;
  return kNoFile;
}

FileHandle CreateNew(const std::string& path, bool& nameTaken) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  nameTaken = fd < 0 && errno == EEXIST;
  return fd < 0 ? kNoFile : fd;
}

std::FILE* OpenReadStream(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

FileHandle CreateUnnamed(const std::string& dir) {
  // Such a file is given its name through /proc/self/fd.
  static const bool canName = ::access("/proc/self/fd", F_OK) == 0;
  if (!canName) return kNoFile;
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  return fd < 0 ? kNoFile : fd;
}

bool NameUnnamed(FileHandle file, const std::string& path) {
  const std::string self = "/proc/self/fd/" + std::to_string(file);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

std::string PathOfOpenFile(FileHandle file) {
  static const bool hasPaths = ::access("/proc/self/fd", F_OK) == 0;
  return hasPaths ? "/proc/self/fd/" + std::to_string(file) : std::string();
}

bool CloseFile(FileHandle file) { return file == kNoFile || ::close(Fd(file)) == 0; }

std::int64_t ReadAt(FileHandle file, void* buffer, std::size_t count, std::int64_t offset) {
  for (;;) {
    const ssize_t got = ::pread(Fd(file), buffer, count, static_cast<off_t>(offset));
    if (got >= 0 || errno != EINTR) return got;
  }
}

std::int64_t WriteAt(FileHandle file, const void* buffer, std::size_t count, std::int64_t offset) {
  for (;;) {
    const ssize_t put = ::pwrite(Fd(file), buffer, count, static_cast<off_t>(offset));
    if (put >= 0 || errno != EINTR) return put;
  }
}

int LastError() { return errno; }

bool Truncate(FileHandle file, std::int64_t size) { return ::ftruncate(Fd(file), static_cast<off_t>(size)) == 0; }

bool SetPermissions(FileHandle file, unsigned permissions) { return ::fchmod(Fd(file), permissions) == 0; }

bool BypassCache(FileHandle file, bool bypass) {
#ifdef O_DIRECT
  const int flags = ::fcntl(Fd(file), F_GETFL);
  return flags >= 0 && ::fcntl(Fd(file), F_SETFL, bypass ? flags | O_DIRECT : flags & ~O_DIRECT) == 0;
#else
  return !bypass && file != kNoFile;
#endif
}

std::int64_t KernelCopy(FileHandle source, std::int64_t& sourceOffset, FileHandle dest, std::int64_t& destOffset,
                        std::int64_t count) {
  std::int64_t copied = 0;
  while (copied < count) {
    const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(count - copied, 1 << 30));
    off_t in = static_cast<off_t>(sourceOffset);
    off_t out = static_cast<off_t>(destOffset);
    const ssize_t done = ::copy_file_range(Fd(source), &in, Fd(dest), &out, chunk, 0);
    if (done < 0) {
      if (errno == EINTR) continue;
      if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) return copied;
      return -1;
    }
    if (done == 0) return copied;  // the source ended early
    sourceOffset += done;
    destOffset += done;
    copied += done;
  }
  return copied;
}

bool MoveOver(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool MakeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

std::string FullPath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  std::string text = absolute.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string NameCompareKey(const std::string& path) { return path; }

std::string CurrentDirectory() {
  std::error_code error;
  auto dir = std::filesystem::current_path(error);
  return error ? std::string(".") : dir.string();
}

bool ChangeDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

bool ProcessRunning(unsigned long id) { return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH; }

std::int64_t FreeSpace(const std::string& dir) {
  struct statvfs space {};
  if (::statvfs(dir.c_str(), &space) != 0) return -1;
  return static_cast<std::int64_t>(std::uint64_t{space.f_bavail} * space.f_frsize);
}

void* OpenLibrary(const std::string& path, std::string& error) {
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* text = ::dlerror();
    error = text != nullptr ? text : "unknown loader failure";
  }
  return library;
}

void* LibraryExport(void* library, const std::string& name) { return ::dlsym(library, name.c_str()); }

void CloseLibrary(void* library) { ::dlclose(library); }

std::string LibraryFileName(const std::string& name) { return "lib" + name + ".so"; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv + std::min(argc, 1), argv + argc}; }

void SetBinaryOutput(std::FILE*) {}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
  struct winsize size {};
  return ::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool EnableTerminalControl(std::FILE* stream) { return IsTerminal(stream); }

namespace {

void (*interruptHandler)() = nullptr;

void OnSignal(int) { interruptHandler(); }

}  // namespace

void OnInterrupt(void (*handler)()) {
  interruptHandler = handler;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // a second Ctrl-C ends the program at once
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace trovex::platform

#endif

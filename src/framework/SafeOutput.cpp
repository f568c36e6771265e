#include "framework/SafeOutput.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"

namespace trovex {

namespace {

std::atomic<unsigned> temporaryCounter{0};
const std::string kProcessId = std::to_string(::getpid());

// A fresh temporary name beside the final file: named after it, the process
// and a counter.
std::string TemporaryName(const std::string& finalPath) {
  return DirectoryPart(finalPath) + PathSeparator + "." + FileNamePart(finalPath) + ".part-" + kProcessId + "-" +
         std::to_string(temporaryCounter++);
}

// Calls attempt(name) with fresh temporary names while the name is taken.
template <class Attempt>
bool WithTemporaryName(const std::string& finalPath, std::string& tempPath, Attempt attempt) {
  for (int tries = 0; tries < 100; ++tries) {
    tempPath = TemporaryName(finalPath);
    if (attempt(tempPath)) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

// Unnamed files can be given a name once complete, through /proc/self/fd.
bool CanLinkUnnamed() {
  static const bool can = ::access("/proc/self/fd", F_OK) == 0;
  return can;
}

// An unnamed file in the final file's folder, or -1 where the file system
// offers none. It gets the usual permissions (0666 less the umask).
int CreateUnnamed(const std::string& finalPath) {
  if (!CanLinkUnnamed()) return -1;
  return ::open(DirectoryPart(finalPath).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
}

// Removes the temporaries that killed processes left beside finalPath: the
// names TemporaryName gives, of a process that no longer runs.
void RemoveStaleTemporaries(const std::string& finalPath) {
  const std::string prefix = "." + FileNamePart(finalPath) + ".part-";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(DirectoryPart(finalPath), error)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      ::unlink(entry.path().c_str());
    }
  }
}

bool LinkUnnamed(int fd, const std::string& path) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

}  // namespace

TSafeOutput::TSafeOutput(const std::string& finalPath, OutputKind kind) : finalPath_(finalPath) {
  struct stat existing {};
  const bool exists = ::stat(finalPath.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) throw EFCreateError(finalPath);
  if (exists && kind == OutputKind::NewFile && IsOpenInProcess(existing.st_dev, existing.st_ino)) {
    throw EFCreateError(finalPath);
  }
  if (kind == OutputKind::Replacement) RemoveStaleTemporaries(finalPath);
  // The file is written without any name: a new one is linked in when
  // complete, a replacement is given a temporary name then and renamed over
  // the old file. A process killed meanwhile leaves nothing behind.
  int fd = CreateUnnamed(finalPath);
  unnamed_ = fd >= 0;
  if (!unnamed_) {
    const bool created = WithTemporaryName(finalPath, tempPath_, [&fd](const std::string& name) {
      fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      return fd >= 0;
    });
    if (!created) throw EFCreateError(finalPath);
  }
  // A replaced file keeps its permissions.
  if (exists) ::fchmod(fd, existing.st_mode & 07777);
  Adopt(finalPath, fd);
}

TSafeOutput::~TSafeOutput() {
  if (committed_) return;
  CloseHandle();
  if (!unnamed_) ::unlink(tempPath_.c_str());
}

void TSafeOutput::Commit() {
  if (committed_) return;
  committed_ = true;
  if (unnamed_) {
    if (LinkUnnamed(Handle(), finalPath_)) return CloseHandle();
    // The final name is taken (a replacement, or a file made meanwhile): the
    // file takes a temporary name and is renamed over it.
    const bool named =
        WithTemporaryName(finalPath_, tempPath_, [this](const std::string& name) { return LinkUnnamed(Handle(), name); });
    CloseHandle();
    if (!named) throw EFCreateError(finalPath_);
  }
  CloseHandle();
  if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
    ::unlink(tempPath_.c_str());
    throw EFCreateError(finalPath_);
  }
}

void TSafeOutput::RequireSpace(std::uint64_t bytes) const {
  struct statvfs space {};
  if (::fstatvfs(Handle(), &space) != 0) return;  // nothing known: the writes will tell
  const std::uint64_t free = std::uint64_t{space.f_bavail} * space.f_frsize;
  if (bytes <= free) return;
  throw EStreamError(Format("Cannot write to %s: it needs %llu bytes, the file system has %llu free",
                            finalPath_.c_str(), static_cast<unsigned long long>(bytes),
                            static_cast<unsigned long long>(free)));
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  TSafeOutput out(path);
  out.WriteText(bytes);
  out.Commit();
}

}  // namespace trovex

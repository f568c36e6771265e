#include "framework/SafeOutput.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
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
  // A new file is written without any name and linked in when complete: one
  // step fewer in the folder than a temporary name renamed over.
  int fd = exists ? -1 : CreateUnnamed(finalPath);
  unnamed_ = fd >= 0;
  if (!unnamed_) {
    const bool created = WithTemporaryName(finalPath, tempPath_, [&fd](const std::string& name) {
      fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      return fd >= 0;
    });
    if (!created) throw EFCreateError(finalPath);
    // A replaced file keeps its permissions.
    if (exists) ::fchmod(fd, existing.st_mode & 07777);
  }
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
    // The final name was taken meanwhile: the file takes a temporary name and
    // is renamed over it like a replacement.
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

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  TSafeOutput out(path);
  out.WriteText(bytes);
  out.Commit();
}

}  // namespace trovex

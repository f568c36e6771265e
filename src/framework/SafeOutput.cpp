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

// Creates the temporary file beside the final one, named after it, the
// process and a counter, and returns its descriptor. A new file gets the
// usual permissions (0666 less the umask); a replaced file keeps its own.
int CreateTemporary(const std::string& finalPath, const struct stat* existing, std::string& tempPath) {
  const std::string prefix = DirectoryPart(finalPath) + PathSeparator + "." + FileNamePart(finalPath) + ".part-" +
                             kProcessId + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = prefix + std::to_string(temporaryCounter++);
    const int fd = ::open(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (existing != nullptr) ::fchmod(fd, existing->st_mode & 07777);
      return fd;
    }
    if (errno != EEXIST) break;
  }
  return -1;
}

}  // namespace

TSafeOutput::TSafeOutput(const std::string& finalPath, OutputKind kind) : finalPath_(finalPath) {
  struct stat existing {};
  const bool exists = ::stat(finalPath.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) throw EFCreateError(finalPath);
  if (exists && kind == OutputKind::NewFile && IsOpenInProcess(existing.st_dev, existing.st_ino)) {
    throw EFCreateError(finalPath);
  }
  const int fd = CreateTemporary(finalPath, exists ? &existing : nullptr, tempPath_);
  if (fd < 0) throw EFCreateError(finalPath);
  Adopt(tempPath_, fd);
}

TSafeOutput::~TSafeOutput() {
  if (committed_) return;
  CloseHandle();
  ::unlink(tempPath_.c_str());
}

void TSafeOutput::Commit() {
  if (committed_) return;
  CloseHandle();
  if (::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
    ::unlink(tempPath_.c_str());
    committed_ = true;
    throw EFCreateError(finalPath_);
  }
  committed_ = true;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  TSafeOutput out(path);
  out.WriteText(bytes);
  out.Commit();
}

}  // namespace trovex

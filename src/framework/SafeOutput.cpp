#include "framework/SafeOutput.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"

namespace trovex {

namespace {

// The process's file mode mask, read once while the program starts, before
// any worker thread exists: reading it means setting it, which is not safe
// while other threads create files.
mode_t ReadUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}
const mode_t kProcessUmask = ReadUmask();

// Creates the temporary file beside the final one and returns its descriptor.
int CreateTemporary(const std::string& finalPath, std::string& tempPath) {
  std::string pattern = DirectoryPart(finalPath) + PathSeparator + "." + FileNamePart(finalPath) + ".part-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  tempPath.assign(name.data());
  struct stat existing {};
  const mode_t mode = ::stat(finalPath.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                 : (0666 & ~kProcessUmask);
  ::fchmod(fd, mode);
  return fd;
}

}  // namespace

TSafeOutput::TSafeOutput(const std::string& finalPath, OutputKind kind) : finalPath_(finalPath) {
  if (IsDirectory(finalPath)) throw EFCreateError(finalPath);
  if (kind == OutputKind::NewFile && IsOpenInProcess(finalPath)) throw EFCreateError(finalPath);
  const int fd = CreateTemporary(finalPath, tempPath_);
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

#include "OutputFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "MveFormat.hpp"
#include "framework/Paths.hpp"
#include "framework/Platform.hpp"
#include "framework/TemporaryFiles.hpp"

namespace mve {

namespace {

namespace platform = trovex::platform;

// Writes count bytes at offset, as many calls as that takes.
bool WriteAll(int fd, const char* bytes, std::size_t count, std::int64_t offset) {
  while (count > 0) {
    const ssize_t done = ::pwrite(fd, bytes, count, offset);
    if (done <= 0) return false;
    bytes += done;
    offset += done;
    count -= static_cast<std::size_t>(done);
  }
  return true;
}

// Copies the first count bytes of source to the start of dest, inside the
// kernel where it can, else through a buffer.
bool CopyStart(int source, std::int64_t count, int dest) {
  loff_t from = 0, to = 0;
  while (count > 0) {
    const ssize_t done = ::copy_file_range(source, &from, dest, &to, static_cast<std::size_t>(count), 0);
    if (done <= 0) break;
    count -= done;
  }
  std::vector<char> buffer(count > 0 ? 1 << 20 : 0);
  while (count > 0) {
    const std::size_t wanted = std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(count));
    const ssize_t got = ::pread(source, buffer.data(), wanted, from);
    if (got <= 0 || !WriteAll(dest, buffer.data(), static_cast<std::size_t>(got), from)) return false;
    from += got;
    count -= got;
  }
  return true;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

// Written without a name where the system offers that, so that a process
// killed meanwhile leaves nothing behind; elsewhere under a temporary name
// that the next output beside the same final path removes once this
// process is gone.
OutputFile::OutputFile(const std::string& finalPath) : finalPath_(finalPath) {
  trovex::RemoveStaleTemporaries(finalPath);
  platform::FileHandle file = platform::CreateUnnamed(trovex::DirectoryPart(finalPath));
  unnamed_ = file != platform::kNoFile;
  const bool created =
      unnamed_ || trovex::WithTemporaryName(finalPath, tempPath_, [&file](const std::string& name, bool& nameTaken) {
        file = platform::CreateNew(name, nameTaken);
        return file != platform::kNoFile;
      });
  if (!created) throw MovieError("Cannot create file " + finalPath);
  fd_ = static_cast<int>(file);
}

OutputFile::~OutputFile() {
  if (committed_) return;
  ::close(fd_);
  if (!unnamed_) platform::RemoveFile(tempPath_);
}

void OutputFile::WriteAt(std::int64_t offset, const void* bytes, std::size_t count) {
  if (!WriteAll(fd_, static_cast<const char*>(bytes), count, offset)) throw MovieError("Cannot write file " + finalPath_);
}

void OutputFile::CopyFrom(const std::string& path, std::int64_t count) {
  const int source = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) throw MovieError("Cannot open file " + path);
  const bool copied = CopyStart(source, count, fd_);
  ::close(source);
  if (!copied) throw MovieError("Cannot write file " + finalPath_);
}

// A file without a name takes the final one when that is free; otherwise
// (the movie it replaces) a temporary name, and is renamed over.
bool OutputFile::Name() {
  if (!unnamed_) return true;
  if (platform::NameUnnamed(fd_, finalPath_)) {
    finalNamed_ = true;
    return true;
  }
  return trovex::WithTemporaryName(finalPath_, tempPath_, [this](const std::string& name, bool& nameTaken) {
    const bool linked = platform::NameUnnamed(fd_, name);
    nameTaken = !linked && platform::Exists(name);
    return linked;
  });
}

void OutputFile::Commit() {
  struct stat old {};
  const mode_t mode = ::stat(finalPath_.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  const bool named = ::fchmod(fd_, mode) == 0 && Name();
  committed_ = true;
  const bool closed = ::close(fd_) == 0;
  if (named && finalNamed_) return;
  if (!named || !closed || !platform::MoveOver(tempPath_, finalPath_)) {
    if (!tempPath_.empty()) platform::RemoveFile(tempPath_);
    throw MovieError("Cannot write file " + finalPath_);
  }
}

}  // namespace mve

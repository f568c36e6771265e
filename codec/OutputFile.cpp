#include "OutputFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "MveFormat.hpp"

namespace mve {

namespace {

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

OutputFile::OutputFile(const std::string& finalPath) : finalPath_(finalPath) {
  std::string pattern = DirectoryOf(finalPath) + "/.mve-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) throw MovieError("Cannot create file " + finalPath);
  tempPath_ = name.data();
  stream_ = ::fdopen(fd_, "wb");
  if (stream_ == nullptr) {
    ::close(fd_);
    ::unlink(tempPath_.c_str());
    throw MovieError("Cannot create file " + finalPath);
  }
  buffer_.resize(1 << 20);
  std::setvbuf(stream_, buffer_.data(), _IOFBF, buffer_.size());
}

OutputFile::~OutputFile() {
  if (committed_) return;
  std::fclose(stream_);
  ::unlink(tempPath_.c_str());
}

void OutputFile::Write(const void* bytes, std::size_t count) {
  if (std::fwrite(bytes, 1, count, stream_) != count) throw MovieError("Cannot write file " + finalPath_);
}

void OutputFile::CopyFrom(const std::string& path, std::int64_t count) {
  const int source = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) throw MovieError("Cannot open file " + path);
  bool copied = std::fflush(stream_) == 0;
  loff_t from = 0;
  while (copied && count > 0) {
    const ssize_t done = ::copy_file_range(source, &from, fd_, nullptr, static_cast<std::size_t>(count), 0);
    if (done <= 0) break;
    count -= done;
  }
  // Where the kernel cannot copy between these files, read and write.
  std::vector<char> buffer(1 << 20);
  while (copied && count > 0) {
    const ssize_t got = ::pread(source, buffer.data(), std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(count)), from);
    copied = got > 0 && std::fwrite(buffer.data(), 1, static_cast<std::size_t>(got), stream_) == static_cast<std::size_t>(got);
    from += got;
    count -= got;
  }
  ::close(source);
  if (!copied) throw MovieError("Cannot write file " + finalPath_);
}

void OutputFile::Commit() {
  struct stat old {};
  const mode_t mode = ::stat(finalPath_.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  const bool written = std::fflush(stream_) == 0 && ::fchmod(fd_, mode) == 0;
  committed_ = true;
  const bool closed = std::fclose(stream_) == 0;
  if (!written || !closed || ::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
    ::unlink(tempPath_.c_str());
    throw MovieError("Cannot write file " + finalPath_);
  }
}

}  // namespace mve

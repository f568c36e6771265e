#include "framework/FileStream.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "framework/Errors.hpp"
#include "framework/FaultInjection.hpp"

namespace trovex {

namespace {

using FileId = std::pair<unsigned long long, unsigned long long>;

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<FileId, int>& OpenFiles() {
  static std::map<FileId, int> files;
  return files;
}

}  // namespace

bool IsOpenInProcess(unsigned long long device, unsigned long long inode) {
  std::lock_guard lock(RegistryMutex());
  return OpenFiles().count({device, inode}) > 0;
}

bool IsOpenInProcess(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && IsOpenInProcess(info.st_dev, info.st_ino);
}

TFileStream::TFileStream(const std::string& path, FileMode mode) : path_(path) {
  // Opened without waiting, so that a FIFO is refused instead of blocking
  // until some writer opens it.
  const int flags = (mode == FileMode::OpenRead ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK;
  fd_ = ::open(path.c_str(), flags);
  if (fd_ < 0 && mode == FileMode::OpenReadWrite && (errno == EACCES || errno == EROFS) &&
      ::access(path.c_str(), R_OK) == 0) {
    throw EStreamError("Cannot write to " + path + ": it is read-only");
  }
  struct stat info {};
  if (fd_ < 0 && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    throw EStreamError(path + " is not a regular file");
  }
  if (fd_ < 0) throw EFOpenError(path);
  const bool stated = ::fstat(fd_, &info) == 0;
  // A file without write permission is not written even where the process
  // could (as the superuser can).
  const bool readOnly = stated && mode == FileMode::OpenReadWrite && (info.st_mode & 0222) == 0;
  if (!stated || !S_ISREG(info.st_mode) || readOnly ||
      ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd_);
    fd_ = -1;
    if (stated && !S_ISREG(info.st_mode)) throw EStreamError(path + " is not a regular file");
    if (readOnly) throw EStreamError("Cannot write to " + path + ": it is read-only");
    throw EFOpenError(path);
  }
  Register();
}

void TFileStream::Adopt(const std::string& path, int fd) {
  path_ = path;
  fd_ = fd;
}

void TFileStream::Register() {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return;
  device_ = info.st_dev;
  inode_ = info.st_ino;
  std::lock_guard lock(RegistryMutex());
  ++OpenFiles()[{device_, inode_}];
}

void TFileStream::CloseHandle() {
  if (fd_ < 0) return;
  if (inode_ != 0 || device_ != 0) {
    std::lock_guard lock(RegistryMutex());
    auto& files = OpenFiles();
    auto it = files.find({device_, inode_});
    if (it != files.end() && --it->second == 0) files.erase(it);
  }
  ::close(fd_);
  fd_ = -1;
}

TFileStream::~TFileStream() { CloseHandle(); }

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  if (const int fault = faults::BeforeRead()) throw EReadError(path_, fault);
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, count);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw EReadError(path_, errno);
  }
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  if (const int fault = faults::BeforeWrite()) throw EWriteError(path_, fault);
  for (;;) {
    const ssize_t put = ::write(fd_, buffer, count);
    if (put >= 0) return static_cast<std::size_t>(put);
    if (errno != EINTR) throw EWriteError(path_, errno);
  }
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (result < 0) throw EStreamError("Stream seek error in " + path_);
  return result;
}

std::int64_t TFileStream::Size() {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) throw EReadError();
  return info.st_size;
}

void TFileStream::SetSize(std::int64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) throw EWriteError(path_, errno);
  if (Position() > size) SetPosition(size);
}

namespace {

// Copies up to count bytes with the kernel, from sourceOffset (or the source's
// position when null) to the destination's position. Returns what is left
// when the kernel cannot copy between these files. A copy is a read of the
// source and a write of the destination.
std::int64_t KernelCopy(const TFileStream& source, off_t* sourceOffset, const TFileStream& dest, std::int64_t count) {
  while (count > 0) {
    if (const int fault = faults::BeforeRead()) throw EReadError(source.Path(), fault);
    if (const int fault = faults::BeforeWrite()) throw EWriteError(dest.Path(), fault);
    const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 30));
    const ssize_t copied = ::copy_file_range(source.Handle(), sourceOffset, dest.Handle(), nullptr, chunk, 0);
    if (copied < 0) {
      if (errno == EINTR) continue;
      if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
      // The kernel does not say which side failed: an input/output error is
      // most likely the source's, anything else (a full disk) the output's.
      if (errno == EIO) throw EReadError(source.Path(), errno);
      throw EWriteError(dest.Path(), errno);
    }
    if (copied == 0) throw EReadError();
    count -= copied;
  }
  return count;
}

}  // namespace

void TFileStream::CopyFrom(TStream& source, std::int64_t count) {
  if (auto* file = dynamic_cast<TFileStream*>(&source)) count = KernelCopy(*file, nullptr, *this, count);
  TStream::CopyFrom(source, count);
}

void TFileStream::ReadBufferAt(std::int64_t offset, void* buffer, std::size_t count) const {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    if (const int fault = faults::BeforeRead()) throw EReadError(path_, fault);
    const ssize_t got = ::pread(fd_, out, count, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw EReadError(path_, errno);
    if (got == 0) throw EReadError();
    out += got;
    offset += got;
    count -= static_cast<std::size_t>(got);
  }
}

void TFileStream::CopyFromAt(const TFileStream& source, std::int64_t sourceOffset, std::int64_t count) {
  auto offset = static_cast<off_t>(sourceOffset);
  count = KernelCopy(source, &offset, *this, count);
  std::vector<unsigned char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 20)));
  while (count > 0) {
    const auto chunk = std::min<std::size_t>(static_cast<std::size_t>(count), buffer.size());
    source.ReadBufferAt(offset, buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    offset += static_cast<off_t>(chunk);
    count -= static_cast<std::int64_t>(chunk);
  }
}

}  // namespace trovex

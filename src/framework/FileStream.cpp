#include "framework/FileStream.hpp"

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <vector>

#include "framework/Errors.hpp"
#include "framework/FaultInjection.hpp"

namespace trovex {

namespace {

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<platform::FileId, int>& OpenFiles() {
  static std::map<platform::FileId, int> files;
  return files;
}

}  // namespace

bool IsOpenInProcess(const platform::FileId& id) {
  std::lock_guard lock(RegistryMutex());
  return OpenFiles().count(id) > 0;
}

bool IsOpenInProcess(const std::string& path) {
  const platform::FileStatus status = platform::StatusOf(path);
  return status.exists && IsOpenInProcess(status.id);
}

TFileStream::TFileStream(const std::string& path, FileMode mode) : path_(path) {
  const platform::Access access = mode == FileMode::OpenRead ? platform::Access::Read : platform::Access::ReadWrite;
  platform::OpenRefusal refusal = platform::OpenRefusal::Other;
  file_ = platform::OpenExisting(path, access, refusal);
  if (file_ == platform::kNoFile) {
    if (refusal == platform::OpenRefusal::ReadOnly) throw EStreamError("Cannot write to " + path + ": it is read-only");
    if (refusal == platform::OpenRefusal::NotRegularFile) throw EStreamError(path + " is not a regular file");
    const int error = platform::LastError();
    throw error != 0 ? EFOpenError(path, error) : EFOpenError(path);
  }
  Register();
}

void TFileStream::Adopt(const std::string& path, platform::FileHandle file) {
  path_ = path;
  file_ = file;
  position_ = 0;
}

void TFileStream::Register() {
  const platform::FileStatus status = platform::StatusOf(file_);
  if (!status.exists) return;
  id_ = status.id;
  registered_ = true;
  std::lock_guard lock(RegistryMutex());
  ++OpenFiles()[id_];
}

void TFileStream::CloseHandle() {
  if (file_ == platform::kNoFile) return;
  if (registered_) {
    std::lock_guard lock(RegistryMutex());
    auto& files = OpenFiles();
    auto it = files.find(id_);
    if (it != files.end() && --it->second == 0) files.erase(it);
    registered_ = false;
  }
  platform::CloseFile(file_);
  file_ = platform::kNoFile;
}

TFileStream::~TFileStream() { CloseHandle(); }

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  if (const int fault = faults::BeforeRead()) throw EReadError(path_, fault);
  const std::int64_t got = platform::ReadAt(file_, buffer, count, position_);
  if (got < 0) throw EReadError(path_, platform::LastError());
  position_ += got;
  return static_cast<std::size_t>(got);
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  if (const int fault = faults::BeforeWrite()) throw EWriteError(path_, fault);
  const std::int64_t put = platform::WriteAt(file_, buffer, count, position_);
  if (put < 0) throw EWriteError(path_, platform::LastError());
  position_ += put;
  return static_cast<std::size_t>(put);
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
  const std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : Size();
  if (base + offset < 0) throw EStreamError("Stream seek error in " + path_);
  position_ = base + offset;
  return position_;
}

std::int64_t TFileStream::Size() {
  const platform::FileStatus status = platform::StatusOf(file_);
  if (!status.exists) throw EReadError();
  return status.size;
}

void TFileStream::SetSize(std::int64_t size) {
  if (!platform::Truncate(file_, size)) throw EWriteError(path_, platform::LastError());
  position_ = std::min(position_, size);
}

namespace {

// Copies up to count bytes with the kernel from source at sourceOffset to
// dest at destOffset, moving both on; returns what is left where the kernel
// cannot copy between these files. A copy is a read of the source and a
// write of the destination.
std::int64_t KernelCopy(const TFileStream& source, std::int64_t& sourceOffset, const TFileStream& dest,
                        std::int64_t& destOffset, std::int64_t count) {
  if (count <= 0 || faults::KernelCopyRefused()) return count;
  if (const int fault = faults::BeforeRead()) throw EReadError(source.Path(), fault);
  if (const int fault = faults::BeforeWrite()) throw EWriteError(dest.Path(), fault);
  const std::int64_t copied = platform::KernelCopy(source.Handle(), sourceOffset, dest.Handle(), destOffset, count);
  if (copied >= 0) return count - copied;
  // The kernel does not say which side failed: an input/output error is most
  // likely the source's, anything else (a full disk) the output's.
  const int error = platform::LastError();
  if (error == EIO) throw EReadError(source.Path(), error);
  throw EWriteError(dest.Path(), error);
}

}  // namespace

void TFileStream::CopyFrom(TStream& source, std::int64_t count) {
  if (auto* file = dynamic_cast<TFileStream*>(&source)) count = KernelCopy(*file, file->position_, *this, position_, count);
  TStream::CopyFrom(source, count);
}

void TFileStream::ReadBufferAt(std::int64_t offset, void* buffer, std::size_t count) const {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    if (const int fault = faults::BeforeRead()) throw EReadError(path_, fault);
    const std::int64_t got = platform::ReadAt(file_, out, count, offset);
    if (got < 0) throw EReadError(path_, platform::LastError());
    if (got == 0) throw EReadError();
    out += got;
    offset += got;
    count -= static_cast<std::size_t>(got);
  }
}

void TFileStream::CopyFromAt(const TFileStream& source, std::int64_t sourceOffset, std::int64_t count) {
  count = KernelCopy(source, sourceOffset, *this, position_, count);
  std::vector<unsigned char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 20)));
  while (count > 0) {
    const auto chunk = std::min<std::size_t>(static_cast<std::size_t>(count), buffer.size());
    source.ReadBufferAt(sourceOffset, buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    sourceOffset += static_cast<std::int64_t>(chunk);
    count -= static_cast<std::int64_t>(chunk);
  }
}

}  // namespace trovex

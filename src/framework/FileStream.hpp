// Byte streams on files, and the record of which files the process has open.
#pragma once

#include <string>

#include "framework/Platform.hpp"
#include "framework/Stream.hpp"

namespace trovex {

enum class FileMode { OpenRead, OpenReadWrite };

class TFileStream : public TStream {
 public:
  // Opens an existing file; "Cannot open file %s" when that fails.
  TFileStream(const std::string& path, FileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;
  // File to file copies are done by the kernel where it can.
  void CopyFrom(TStream& source, std::int64_t count) override;
  // Positional forms that leave the source's position alone, so several
  // threads may read one file through them: an exact read at offset, and a
  // copy of count bytes from source's offset to this stream's position.
  void ReadBufferAt(std::int64_t offset, void* buffer, std::size_t count) const;
  void CopyFromAt(const TFileStream& source, std::int64_t sourceOffset, std::int64_t count);

  const std::string& Path() const { return path_; }
  platform::FileHandle Handle() const { return file_; }

 protected:
  // For derived classes that open their own file and then Adopt it. An
  // adopted file is not recorded as open: it is a new file of this process's
  // own, which nothing else refers to yet.
  TFileStream() = default;
  void Adopt(const std::string& path, platform::FileHandle file);
  void CloseHandle();

 private:
  void Register();
  std::string path_;
  platform::FileHandle file_ = platform::kNoFile;
  // The stream keeps its own position and every transfer names its offset,
  // so positional reads from other threads never move it.
  std::int64_t position_ = 0;
  bool registered_ = false;
  platform::FileId id_;
};

// True when the file at path is, by its identity (device and inode, or volume
// and file index), one that a TFileStream of this process has open. It stands
// in for the exclusive opening that keeps a program from overwriting the file
// it is reading.
bool IsOpenInProcess(const std::string& path);
bool IsOpenInProcess(const platform::FileId& id);

}  // namespace trovex

// A byte stream over a growable buffer in memory, whose bytes are exposed.
#pragma once

#include <vector>

#include "framework/Stream.hpp"

namespace trovex {

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
  void SetSize(std::int64_t size) override;

  void Clear();
  unsigned char* Data() { return bytes_.data(); }
  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  std::vector<unsigned char>& Bytes() { return bytes_; }

 private:
  std::vector<unsigned char> bytes_;
  std::size_t position_ = 0;
};

}  // namespace trovex

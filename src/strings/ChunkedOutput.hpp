// Text gathered in memory and written to a stream a large chunk at a time:
// few write calls, and no buffer the size of the whole output.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Stream.hpp"

namespace trovex {

class TChunkedOutput {
 public:
  explicit TChunkedOutput(TStream& stream) : stream_(stream) { buffer_.reserve(2 * kChunkSize); }

  // The buffer to append to; FlushIfFull after appending.
  std::string& Buffer() { return buffer_; }
  void FlushIfFull() {
    if (buffer_.size() >= kChunkSize) Flush();
  }
  void Flush() {
    stream_.WriteText(buffer_);
    written_ += buffer_.size();
    buffer_.clear();
  }
  // Bytes appended so far, written or not.
  std::uint64_t Size() const { return written_ + buffer_.size(); }

 private:
  static constexpr std::size_t kChunkSize = std::size_t{1} << 20;
  TStream& stream_;
  std::string buffer_;
  std::uint64_t written_ = 0;
};

}  // namespace trovex

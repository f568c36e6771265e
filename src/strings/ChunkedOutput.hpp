// Where dump and table text goes: appended piece by piece, so that a string
// of hundreds of megabytes passes through without being held whole.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Stream.hpp"

namespace trovex {

class TTextOut {
 public:
  virtual void Append(std::string_view bytes) = 0;
  // Appends count copies of c.
  void AppendRepeated(std::size_t count, char c);

 protected:
  ~TTextOut() = default;
};

inline void TTextOut::AppendRepeated(std::size_t count, char c) {
  const std::string block(std::min<std::size_t>(count, std::size_t{1} << 16), c);
  for (; count > block.size(); count -= block.size()) Append(block);
  Append(std::string_view(block).substr(0, count));
}

// Text gathered in a string.
class TStringOut final : public TTextOut {
 public:
  explicit TStringOut(std::string& text) : text_(text) {}
  void Append(std::string_view bytes) override { text_.append(bytes); }

 private:
  std::string& text_;
};

// Text gathered in memory and written to a stream a large chunk at a time:
// few write calls, and no buffer the size of the whole output. A piece of a
// chunk or more is written as it comes.
class TChunkedOutput final : public TTextOut {
 public:
  explicit TChunkedOutput(TStream& stream) : stream_(stream) { buffer_.reserve(kChunkSize); }

  void Append(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() > kChunkSize) Flush();
    if (bytes.size() < kChunkSize) {
      buffer_.append(bytes);
    } else {
      stream_.WriteBuffer(bytes.data(), bytes.size());
      written_ += bytes.size();
    }
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

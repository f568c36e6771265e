// Where dump and table text goes: gathered in a string, or written to a
// stream a large chunk at a time, so that few write calls are made and a
// string of hundreds of megabytes passes through without being held whole.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "framework/Stream.hpp"

namespace trovex {

class TTextOut {
 public:
  // Gathers the text in text.
  explicit TTextOut(std::string& text) : buffer_(text) {}
  // Writes the text to stream; Flush writes what is still held.
  explicit TTextOut(TStream& stream) : stream_(&stream), buffer_(own_) { own_.reserve(kChunkSize); }
  TTextOut(const TTextOut&) = delete;
  TTextOut& operator=(const TTextOut&) = delete;

  void Append(std::string_view bytes) {
    if (stream_ != nullptr && buffer_.size() + bytes.size() > kChunkSize) return Spill(bytes);
    buffer_.append(bytes);
  }
  // Appends count copies of c.
  void AppendRepeated(std::size_t count, char c) {
    if (stream_ == nullptr || buffer_.size() + count <= kChunkSize) {
      buffer_.append(count, c);
      return;
    }
    char block[256];
    std::memset(block, c, std::min(count, sizeof block));
    for (; count > sizeof block; count -= sizeof block) Append(std::string_view(block, sizeof block));
    Append(std::string_view(block, count));
  }
  void Flush() {
    stream_->WriteText(buffer_);
    written_ += buffer_.size();
    buffer_.clear();
  }
  // Bytes appended so far, written or not.
  std::uint64_t Size() const { return written_ + buffer_.size(); }

 private:
  // Writes what is held, then keeps bytes, or writes them too when they are
  // a chunk or more.
  void Spill(std::string_view bytes) {
    Flush();
    if (bytes.size() < kChunkSize) {
      buffer_.append(bytes);
    } else {
      stream_->WriteBuffer(bytes.data(), bytes.size());
      written_ += bytes.size();
    }
  }

  static constexpr std::size_t kChunkSize = std::size_t{1} << 20;
  TStream* stream_ = nullptr;
  std::string own_;
  std::string& buffer_;
  std::uint64_t written_ = 0;
};

}  // namespace trovex

// The bytes of one stored string, held in memory or read from the table a
// window at a time: strings of hundreds of megabytes are compared, masked and
// copied without ever being held whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Stream.hpp"
#include "strings/TextOut.hpp"

namespace trovex {

class TSourceText {
 public:
  static constexpr std::size_t npos = std::string_view::npos;

  // Bytes in memory, which must outlive this.
  TSourceText(std::string_view bytes) : bytes_(bytes), size_(bytes.size()) {}  // NOLINT: converts
  // length bytes at offset in stream, which must outlive this and which it
  // positions as it reads.
  TSourceText(TStream& stream, std::uint64_t offset, std::size_t length)
      : stream_(&stream), offset_(offset), size_(length) {}

  std::size_t size() const { return size_; }
  char operator[](std::size_t position) const { return stream_ == nullptr ? bytes_[position] : Window(position)[0]; }
  // The first c at or after position, or npos.
  std::size_t find(char c, std::size_t position = 0) const {
    return stream_ == nullptr ? bytes_.find(c, position) : WindowedFind(c, position);
  }
  // The last c, or npos.
  std::size_t rfind(char c) const { return stream_ == nullptr ? bytes_.rfind(c) : WindowedRFind(c); }
  // Whether the bytes from position on start with bytes.
  bool StartsWith(std::size_t position, std::string_view bytes) const {
    if (position > size_ || size_ - position < bytes.size()) return false;
    return stream_ == nullptr ? bytes_.substr(position, bytes.size()) == bytes : WindowedStartsWith(position, bytes);
  }
  // Appends length bytes from position to out.
  void AppendTo(TTextOut& out, std::size_t position, std::size_t length) const {
    if (stream_ == nullptr) return out.Append(bytes_.substr(position, length));
    WindowedAppendTo(out, position, length);
  }
  void AppendTo(TTextOut& out) const { AppendTo(out, 0, size_); }
  // The first length bytes.
  TSourceText Prefix(std::size_t length) const;

 private:
  // The bytes from position (< size) to the end of the window that holds it.
  std::string_view Window(std::size_t position) const;
  std::size_t WindowedFind(char c, std::size_t position) const;
  std::size_t WindowedRFind(char c) const;
  bool WindowedStartsWith(std::size_t position, std::string_view bytes) const;
  void WindowedAppendTo(TTextOut& out, std::size_t position, std::size_t length) const;

  static constexpr std::size_t kWindowSize = std::size_t{1} << 20;
  std::string_view bytes_;
  TStream* stream_ = nullptr;
  std::uint64_t offset_ = 0;
  std::size_t size_ = 0;
  mutable std::string window_;
  mutable std::size_t windowStart_ = 0;
};

}  // namespace trovex

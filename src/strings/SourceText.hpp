// The bytes of one stored string, held in memory or read from the table a
// window at a time: strings of hundreds of megabytes are compared, masked and
// copied without ever being held whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Stream.hpp"
#include "strings/ChunkedOutput.hpp"

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
  char operator[](std::size_t position) const { return Window(position)[0]; }
  // The first c at or after position, or npos.
  std::size_t find(char c, std::size_t position = 0) const;
  // The last c, or npos.
  std::size_t rfind(char c) const;
  // Whether the bytes from position on start with bytes.
  bool StartsWith(std::size_t position, std::string_view bytes) const;
  // Appends length bytes from position to out.
  void AppendTo(TTextOut& out, std::size_t position, std::size_t length) const;
  void AppendTo(TTextOut& out) const { AppendTo(out, 0, size_); }
  // The first length bytes.
  TSourceText Prefix(std::size_t length) const;

 private:
  // The bytes from position (< size) to the end of what is at hand: the rest
  // of the bytes in memory, or of the window that holds position.
  std::string_view Window(std::size_t position) const;

  static constexpr std::size_t kWindowSize = std::size_t{1} << 20;
  std::string_view bytes_;
  TStream* stream_ = nullptr;
  std::uint64_t offset_ = 0;
  std::size_t size_ = 0;
  mutable std::string window_;
  mutable std::size_t windowStart_ = 0;
};

}  // namespace trovex

// Seekable byte streams: the one interface through which every handler reads
// and writes files and memory buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trovex {

enum SeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
 public:
  virtual ~TStream() = default;

  // Transfers up to count bytes and returns how many were transferred.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Moves the position and returns the new one.
  virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t size) = 0;

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
  // Bytes between the position and the end.
  std::int64_t Remaining() { return Size() - Position(); }

  // Exact transfers: all count bytes or "Stream read error" / "Stream write error".
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
  void WriteText(const std::string& text) { WriteBuffer(text.data(), text.size()); }

  // Copies exactly count bytes from source's position to this stream's position.
  virtual void CopyFrom(TStream& source, std::int64_t count);

  // Little-endian integers, read and written exactly.
  std::uint16_t ReadU16();
  std::uint32_t ReadU32();
  void WriteU16(std::uint16_t value);
  void WriteU32(std::uint32_t value);
};

// Little-endian access to bytes already in memory.
inline std::uint16_t LoadU16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void StoreU16(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreU32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace trovex

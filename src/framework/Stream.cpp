#include "framework/Stream.hpp"

#include <algorithm>
#include <vector>

#include "framework/Errors.hpp"

namespace trovex {

namespace {
constexpr std::size_t kCopyBufferSize = 1 << 20;
}

std::int64_t TStream::Size() {
  const std::int64_t here = Seek(0, soCurrent);
  const std::int64_t end = Seek(0, soEnd);
  Seek(here, soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const std::size_t got = Read(out, count);
    if (got == 0) throw EReadError();
    out += got;
    count -= got;
  }
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const unsigned char*>(buffer);
  while (count > 0) {
    const std::size_t put = Write(in, count);
    if (put == 0) throw EWriteError();
    in += put;
    count -= put;
  }
}

void TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count <= 0) return;
  std::vector<unsigned char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, kCopyBufferSize)));
  while (count > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(buffer.size())));
    source.ReadBuffer(buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    count -= static_cast<std::int64_t>(chunk);
  }
}

std::uint16_t TStream::ReadU16() {
  unsigned char bytes[2];
  ReadBuffer(bytes, 2);
  return LoadU16(bytes);
}

std::uint32_t TStream::ReadU32() {
  unsigned char bytes[4];
  ReadBuffer(bytes, 4);
  return LoadU32(bytes);
}

void TStream::WriteU16(std::uint16_t value) {
  unsigned char bytes[2];
  StoreU16(bytes, value);
  WriteBuffer(bytes, 2);
}

void TStream::WriteU32(std::uint32_t value) {
  unsigned char bytes[4];
  StoreU32(bytes, value);
  WriteBuffer(bytes, 4);
}

}  // namespace trovex

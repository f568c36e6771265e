// The compressing and decompressing byte streams.
#include <algorithm>

#include "compress/ZlibInternal.hpp"

namespace trovex {

using zlib_detail::Chunk;
using zlib_detail::FeedInput;

TCustomZlibStream::TCustomZlibStream(TStream& strm) : strm_(strm), strmPos_(strm.Position()) {}

void TCustomZlibStream::Progress() {
  if (OnProgress) OnProgress(*this);
}

void TCustomZlibStream::RestorePosition() {
  if (strm_.Position() != strmPos_) strm_.SetPosition(strmPos_);
}

TCompressionStream::TCompressionStream(TCompressionLevel level, TStream& dest) : TCustomZlibStream(dest) {
  zs_.next_out = buffer_.data();
  zs_.avail_out = kZlibBufferSize;
  CompressCheck(deflateInit(&zs_, kZlibLevels[level]));
}

TCompressionStream::~TCompressionStream() { deflateEnd(&zs_); }

void TCompressionStream::FlushBuffer() {
  strm_.WriteBuffer(buffer_.data(), kZlibBufferSize - zs_.avail_out);
  zs_.next_out = buffer_.data();
  zs_.avail_out = kZlibBufferSize;
  strmPos_ = strm_.Position();
  Progress();
}

std::size_t TCompressionStream::Write(const void* buffer, std::size_t count) {
  zs_.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
  zs_.avail_in = 0;
  std::size_t left = count;
  RestorePosition();
  while (left > 0 || zs_.avail_in > 0) {
    FeedInput(zs_, left);
    CompressCheck(deflate(&zs_, Z_NO_FLUSH));
    if (zs_.avail_out == 0) FlushBuffer();
  }
  return count;
}

void TCompressionStream::Finish() {
  if (finished_) return;
  zs_.next_in = nullptr;
  zs_.avail_in = 0;
  RestorePosition();
  while (CompressCheck(deflate(&zs_, Z_FINISH)) != Z_STREAM_END) FlushBuffer();
  if (zs_.avail_out < kZlibBufferSize) FlushBuffer();
  finished_ = true;
}

std::size_t TCompressionStream::Read(void*, std::size_t) { throw ECompressionError(SInvalidStreamOp); }

std::int64_t TCompressionStream::Seek(std::int64_t offset, SeekOrigin origin) {
  if (offset != 0 || origin != soCurrent) throw ECompressionError(SInvalidStreamOp);
  return static_cast<std::int64_t>(zs_.total_in);
}

void TCompressionStream::SetSize(std::int64_t) { throw ECompressionError(SInvalidStreamOp); }

float TCompressionStream::CompressionRate() const {
  if (zs_.total_in == 0) return 0;
  return (1.0f - static_cast<float>(zs_.total_out) / static_cast<float>(zs_.total_in)) * 100.0f;
}

TDecompressionStream::TDecompressionStream(TStream& source) : TCustomZlibStream(source) {
  zs_.next_in = buffer_.data();
  zs_.avail_in = 0;
  DecompressCheck(inflateInit(&zs_));
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&zs_); }

std::size_t TDecompressionStream::Read(void* buffer, std::size_t count) {
  zs_.next_out = static_cast<Bytef*>(buffer);
  zs_.avail_out = 0;
  std::size_t left = count;
  RestorePosition();
  while (!ended_ && (left > 0 || zs_.avail_out > 0)) {
    if (zs_.avail_out == 0) {
      zs_.avail_out = Chunk(left);
      left -= zs_.avail_out;
    }
    if (zs_.avail_in == 0) {
      const std::size_t got = strm_.Read(buffer_.data(), kZlibBufferSize);
      if (got == 0) break;
      zs_.next_in = buffer_.data();
      zs_.avail_in = static_cast<uInt>(got);
      strmPos_ = strm_.Position();
      Progress();
    }
    // The end of the zlib data ends delivery: more calls would make no progress.
    if (DecompressCheck(zlib_detail::Inflate(zs_), zs_) == Z_STREAM_END) ended_ = true;
  }
  return count - left - zs_.avail_out;
}

std::size_t TDecompressionStream::Write(const void*, std::size_t) { throw EDecompressionError(SInvalidStreamOp); }

std::int64_t TDecompressionStream::Seek(std::int64_t offset, SeekOrigin origin) {
  const auto delivered = static_cast<std::int64_t>(zs_.total_out);
  if (origin == soBeginning && offset == 0) {
    DecompressCheck(inflateReset(&zs_));
    zs_.next_in = buffer_.data();
    zs_.avail_in = 0;
    ended_ = false;
    strm_.SetPosition(0);
    strmPos_ = 0;
    return 0;
  }
  std::int64_t skip = 0;
  if (origin == soCurrent && offset >= 0) {
    skip = offset;
  } else if (origin == soBeginning && offset >= delivered) {
    skip = offset - delivered;
  } else {
    throw EDecompressionError(SInvalidStreamOp);
  }
  unsigned char scratch[4096];
  while (skip > 0) {
    const auto step = static_cast<std::size_t>(std::min<std::int64_t>(skip, sizeof scratch));
    ReadBuffer(scratch, step);
    skip -= static_cast<std::int64_t>(step);
  }
  return static_cast<std::int64_t>(zs_.total_out);
}

void TDecompressionStream::SetSize(std::int64_t) { throw EDecompressionError(SInvalidStreamOp); }

}  // namespace trovex

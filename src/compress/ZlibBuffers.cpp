// Result checks, the whole-buffer routines and the reusable buffer coders.
#include <algorithm>
#include <new>

#ifdef TROVEX_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include "compress/ZlibInternal.hpp"

namespace trovex {

int CompressCheck(int code) {
  if (code < 0) throw ECompressionError(Format(SZlibError, code));
  return code;
}

int DecompressCheck(int code) {
  if (code < 0) throw EDecompressionError(Format(SZlibError, code));
  return code;
}

int DecompressCheck(int code, const z_stream& zs) {
  if (code < 0) throw EDecompressionError(Format(SZlibError, code), zs.msg ? zs.msg : "");
  return code;
}

namespace zlib_detail {

uInt Chunk(std::size_t count) { return static_cast<uInt>(std::min(count, kMaxChunk)); }

void FeedInput(z_stream& zs, std::size_t& left) {
  if (zs.avail_in != 0 || left == 0) return;
  zs.avail_in = Chunk(left);
  left -= zs.avail_in;
}

int Inflate(z_stream& zs) {
  const int code = inflate(&zs, Z_NO_FLUSH);
  // A stream that asks for a preset dictionary cannot be decompressed here;
  // inflate would keep asking without progress.
  return code == Z_NEED_DICT ? Z_DATA_ERROR : code;
}

}  // namespace zlib_detail

using zlib_detail::Chunk;
using zlib_detail::FeedInput;

namespace {

// Points zlib's output at the unused part of out, growing out by grow bytes
// first when it is full.
void ProvideOutput(z_stream& zs, std::vector<unsigned char>& out, std::size_t grow) {
  const auto used = static_cast<std::size_t>(zs.total_out);
  if (used == out.size()) out.resize(used + grow);
  zs.next_out = out.data() + used;
  zs.avail_out = Chunk(out.size() - used);
}

constexpr std::size_t RoundUp256(std::size_t n) { return (n + 255) & ~std::size_t{255}; }

}  // namespace

TBufferCompressor::TBufferCompressor(TCompressionLevel level) { CompressCheck(deflateInit(&zs_, kZlibLevels[level])); }

TBufferCompressor::~TBufferCompressor() { deflateEnd(&zs_); }

void TBufferCompressor::Compress(const void* in, std::size_t inBytes, std::vector<unsigned char>& out) {
  CompressCheck(deflateReset(&zs_));
  // Room for the input, a tenth more and 12 bytes, in whole 256-byte units:
  // always more than deflate needs, so the loop below rarely grows it.
  out.assign(RoundUp256(inBytes + inBytes / 10 + 12), 0);
  zs_.next_in = static_cast<Bytef*>(const_cast<void*>(in));
  zs_.avail_in = 0;
  std::size_t left = inBytes;
  for (;;) {
    FeedInput(zs_, left);
    ProvideOutput(zs_, out, 256);
    const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    if (CompressCheck(deflate(&zs_, flush)) == Z_STREAM_END) break;
  }
  out.resize(static_cast<std::size_t>(zs_.total_out));
}

TBufferDecompressor::TBufferDecompressor() {
  DecompressCheck(inflateInit(&zs_));
#ifdef TROVEX_HAVE_LIBDEFLATE
  fast_ = libdeflate_alloc_decompressor();
  if (fast_ == nullptr) {
    inflateEnd(&zs_);
    throw std::bad_alloc();
  }
#endif
}

TBufferDecompressor::~TBufferDecompressor() {
#ifdef TROVEX_HAVE_LIBDEFLATE
  libdeflate_free_decompressor(fast_);
#endif
  inflateEnd(&zs_);
}

void TBufferDecompressor::Decompress(const void* in, std::size_t inBytes, void* out, std::size_t outBytes) {
  if (outBytes == 0) return;
#ifdef TROVEX_HAVE_LIBDEFLATE
  std::size_t used = 0;
  std::size_t made = 0;
  // Bytes behind the end of the stream are let be, as zlib lets them be.
  if (libdeflate_zlib_decompress_ex(fast_, in, inBytes, out, outBytes, &used, &made) == LIBDEFLATE_SUCCESS) {
    if (made < outBytes) throw EReadError();
    return;
  }
#endif
  DecompressWithZlib(in, inBytes, out, outBytes);
}

void TBufferDecompressor::DecompressWithZlib(const void* in, std::size_t inBytes, void* out, std::size_t outBytes) {
  DecompressCheck(inflateReset(&zs_));
  zs_.next_in = static_cast<Bytef*>(const_cast<void*>(in));
  zs_.avail_in = 0;
  zs_.next_out = static_cast<Bytef*>(out);
  zs_.avail_out = 0;
  std::size_t inLeft = inBytes;
  std::size_t outLeft = outBytes;
  for (;;) {
    FeedInput(zs_, inLeft);
    if (zs_.avail_out == 0) {
      zs_.avail_out = Chunk(outLeft);
      outLeft -= zs_.avail_out;
    }
    const int code = zlib_detail::Inflate(zs_);
    // Corrupt data fails even when the asked count came out (a bad checksum
    // shows only once the last bytes are out).
    if (code != Z_BUF_ERROR) DecompressCheck(code, zs_);
    if (zs_.total_out == outBytes) return;
    // The data ended (or ran out) before the asked count: a short read.
    if (code == Z_STREAM_END || code == Z_BUF_ERROR) throw EReadError();
  }
}

std::vector<unsigned char> CompressBuf(const void* in, std::size_t inBytes) {
  std::vector<unsigned char> out;
  TBufferCompressor(cmlBest).Compress(in, inBytes, out);
  return out;
}

std::vector<unsigned char> DecompressBuf(const void* in, std::size_t inBytes, std::size_t outEstimate) {
  // Growth step: the input's size in whole 256-byte units (at least one unit),
  // and never less than what is held already, so that growing stays linear.
  const std::size_t increment = std::max<std::size_t>(RoundUp256(inBytes), 256);
  std::vector<unsigned char> out(outEstimate != 0 ? outEstimate : increment);
  struct Inflater {
    z_stream zs{};
    Inflater() { DecompressCheck(inflateInit(&zs)); }
    ~Inflater() { inflateEnd(&zs); }
  } inflater;
  z_stream& zs = inflater.zs;
  zs.next_in = static_cast<Bytef*>(const_cast<void*>(in));
  std::size_t left = inBytes;
  int code = Z_OK;
  do {
    FeedInput(zs, left);
    ProvideOutput(zs, out, std::max(increment, out.size()));
    code = zlib_detail::Inflate(zs);
    DecompressCheck(code);
  } while (code != Z_STREAM_END);
  out.resize(static_cast<std::size_t>(zs.total_out));
  return out;
}

}  // namespace trovex

// The zlib adapter: the only place where the program touches zlib. Whole-buffer
// routines, a reusable one-shot coder for many small buffers, and the
// compressing and decompressing byte streams. All data is in the zlib format
// (two-byte header, deflate data, Adler-32 trailer) with zlib's default window
// and memory settings.
#pragma once

#include <zlib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Errors.hpp"
#include "framework/Stream.hpp"

struct libdeflate_decompressor;

namespace trovex {

enum TCompressionLevel { cmlNo, cmlFast, cmlDef, cmlBest };

// The zlib level of each TCompressionLevel: none, fastest, zlib's default, best.
inline constexpr int kZlibLevels[] = {0, 1, -1, 9};

inline constexpr const char* SInvalidStreamOp = "Invalid stream operation";
inline constexpr const char* SZlibError = "ZLIB Internal error %d";

// Each stream carries a transfer buffer of this size; compressed output goes to
// the destination, and compressed input comes from the source, in such blocks.
inline constexpr std::size_t kZlibBufferSize = 65536;

class EZlibError : public Exception {
 public:
  using Exception::Exception;
};
class ECompressionError : public EZlibError {
 public:
  using EZlibError::EZlibError;
};
class EDecompressionError : public EZlibError {
 public:
  using EZlibError::EZlibError;
  EDecompressionError(const std::string& message, std::string zlibMessage)
      : EZlibError(message), zlibMessage_(std::move(zlibMessage)) {}
  // zlib's own account of the fault ("incorrect data check"), or the message.
  std::string Account() const { return zlibMessage_.empty() ? what() : zlibMessage_; }

 private:
  std::string zlibMessage_;
};

// A zlib result passed through: zero or positive comes back unchanged, a
// negative one raises "ZLIB Internal error %d" of the matching class.
int CompressCheck(int code);
int DecompressCheck(int code);
// The same, keeping zlib's message of the stream's fault for Account().
int DecompressCheck(int code, const z_stream& zs);

// The whole input as one zlib stream at level 9.
std::vector<unsigned char> CompressBuf(const void* in, std::size_t inBytes);
// The whole zlib stream in `in` decompressed; outEstimate is a guess of the
// decompressed size (0: none).
std::vector<unsigned char> DecompressBuf(const void* in, std::size_t inBytes, std::size_t outEstimate = 0);

// One zlib state kept for many independent buffers, each coded whole into its
// own complete zlib stream; the state is reset, not rebuilt, between buffers.
class TBufferCompressor {
 public:
  explicit TBufferCompressor(TCompressionLevel level);
  ~TBufferCompressor();
  TBufferCompressor(const TBufferCompressor&) = delete;
  TBufferCompressor& operator=(const TBufferCompressor&) = delete;

  // Replaces out with the zlib stream of the inBytes bytes at in.
  void Compress(const void* in, std::size_t inBytes, std::vector<unsigned char>& out);

 private:
  z_stream zs_{};
};

// Where the build has libdeflate, a whole buffer is inflated by it, which is
// two to three times faster than zlib; a stream it does not decode whole
// into the asked length (corrupt data, or more data than asked) is decoded
// again by zlib, so that results and messages are zlib's in every build.
class TBufferDecompressor {
 public:
  TBufferDecompressor();
  ~TBufferDecompressor();
  TBufferDecompressor(const TBufferDecompressor&) = delete;
  TBufferDecompressor& operator=(const TBufferDecompressor&) = delete;

  // Decompresses exactly outBytes bytes from the start of the zlib stream in
  // `in` into out; anything the stream holds beyond them is ignored. A stream
  // that yields fewer fails with "Stream read error", corrupt data with
  // EDecompressionError.
  void Decompress(const void* in, std::size_t inBytes, void* out, std::size_t outBytes);

 private:
  void DecompressWithZlib(const void* in, std::size_t inBytes, void* out, std::size_t outBytes);

  z_stream zs_{};
  libdeflate_decompressor* fast_ = nullptr;  // none without libdeflate
};

// The base of the two zlib streams: the underlying stream (not owned), the
// position in it where the next transfer happens, the zlib state and the
// transfer buffer. The position is restored before every transfer, so another
// reader may move the underlying stream between two calls without harm.
class TCustomZlibStream : public TStream {
 public:
  TCustomZlibStream(const TCustomZlibStream&) = delete;
  TCustomZlibStream& operator=(const TCustomZlibStream&) = delete;

  // Called after every transfer of a whole buffer, with the stream as sender.
  std::function<void(TCustomZlibStream& sender)> OnProgress;

 protected:
  explicit TCustomZlibStream(TStream& strm);
  virtual void Progress();
  // Moves the underlying stream back to where the last transfer ended.
  void RestorePosition();

  TStream& strm_;
  std::int64_t strmPos_;
  z_stream zs_{};
  std::array<unsigned char, kZlibBufferSize> buffer_;
};

// Write-only: everything written goes compressed to the destination. The zlib
// stream is complete only after Finish(); a stream destroyed without Finish()
// leaves its destination incomplete (that is how a failed run abandons it).
class TCompressionStream : public TCustomZlibStream {
 public:
  TCompressionStream(TCompressionLevel level, TStream& dest);
  ~TCompressionStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  // Seek(0, soCurrent) gives the count of bytes accepted; nothing else is allowed.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  void SetSize(std::int64_t size) override;

  // Ends the zlib stream and writes its remaining bytes to the destination.
  void Finish();
  // The percentage of the input saved so far.
  float CompressionRate() const;

 private:
  void FlushBuffer();
  bool finished_ = false;
};

// Read-only and forward-only: delivers the decompressed content of the source
// from its position at construction. It may read up to one transfer buffer
// beyond the end of the zlib data.
class TDecompressionStream : public TCustomZlibStream {
 public:
  explicit TDecompressionStream(TStream& source);
  ~TDecompressionStream() override;

  // Delivers count bytes, or fewer when the source or the zlib data ends.
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  // Forward moves only; Seek(0, soBeginning) restarts from position 0 of the
  // source. Returns the count of bytes delivered.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  void SetSize(std::int64_t size) override;

 private:
  bool ended_ = false;  // zlib reported the end of the compressed data
};

}  // namespace trovex

#include "compress/Zlib.hpp"

#include <gtest/gtest.h>

#include <string>

#include "builders/BiffBuilder.hpp"
#include "framework/MemoryStream.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string ToString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Python's zlib, as an outside reference: "compress" at level 9 or "decompress".
std::string PythonZlib(const std::string& operation, const std::string& input) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "in", input);
  const std::string code =
      "import sys, zlib\n"
      "data = open(sys.argv[2], 'rb').read()\n"
      "out = zlib.compress(data, 9) if sys.argv[1] == 'compress' else zlib.decompress(data)\n"
      "open(sys.argv[3], 'wb').write(out)\n";
  const auto result = test::RunProcess({"/usr/bin/env", "python3", "-c", code, operation, dir / "in", dir / "out"});
  EXPECT_EQ(result.status, 0) << result.err;
  return test::ReadFileBytes(dir / "out");
}

// Compressible and incompressible inputs of a few sizes around the buffer sizes.
std::vector<std::string> Inputs() {
  return {"",
          "x",
          build::MakeSoundData(8191, 1),
          build::MakeMovie(70000, 2),
          build::MakeSoundData(300000, 3),
          std::string(200000, 'a')};
}

std::string CompressThroughStream(const std::string& input, TCompressionLevel level, std::size_t step) {
  TMemoryStream dest;
  TCompressionStream stream(level, dest);
  for (std::size_t at = 0; at < input.size(); at += step)
    stream.WriteBuffer(input.data() + at, std::min(step, input.size() - at));
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(input.size()));
  stream.Finish();
  return ToString(dest.Bytes());
}

TEST(ZlibBuffers, MatchAnOutsideZlibBothWays) {
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  for (const auto& input : Inputs()) {
    const Bytes packed = CompressBuf(input.data(), input.size());
    EXPECT_EQ(ToString(packed), PythonZlib("compress", input)) << input.size();
    const std::string python = PythonZlib("compress", input);
    EXPECT_EQ(ToString(DecompressBuf(python.data(), python.size())), input);
    EXPECT_EQ(ToString(DecompressBuf(python.data(), python.size(), 3)), input);  // estimate far too small
  }
}

TEST(ZlibBuffers, DamagedDataFailsWithTheZlibResult) {
  const std::string good = ToString(CompressBuf(Inputs()[4].data(), Inputs()[4].size()));
  std::string corrupt = good;
  corrupt[0] = 0x12;  // not a zlib header
  EXPECT_THROW(
      {
        try {
          DecompressBuf(corrupt.data(), corrupt.size());
        } catch (const EDecompressionError& error) {
          EXPECT_STREQ(error.what(), "ZLIB Internal error -3");
          throw;
        }
      },
      EDecompressionError);
  const std::string truncated = good.substr(0, good.size() / 2);
  EXPECT_THROW(DecompressBuf(truncated.data(), truncated.size()), EDecompressionError);
  // An empty input ends with an error instead of growing forever.
  EXPECT_THROW(DecompressBuf(nullptr, 0), EDecompressionError);
}

TEST(BufferCoders, ReuseGivesTheSameStreamsAsFreshOnes) {
  TBufferCompressor compressor(cmlBest);
  TBufferDecompressor decompressor;
  Bytes packed;
  for (const auto& input : Inputs()) {
    compressor.Compress(input.data(), input.size(), packed);
    EXPECT_EQ(ToString(packed), CompressThroughStream(input, cmlBest, 5000));
    std::string back(input.size(), '\0');
    decompressor.Decompress(packed.data(), packed.size(), back.data(), back.size());
    EXPECT_EQ(back, input);
  }
}

TEST(BufferCoders, DecompressDeliversExactlyTheAskedLength) {
  const std::string input = build::MakeSoundData(10000, 4);
  const Bytes packed = CompressBuf(input.data(), input.size());
  TBufferDecompressor decompressor;
  std::string part(4000, '\0');
  decompressor.Decompress(packed.data(), packed.size(), part.data(), part.size());
  EXPECT_EQ(part, input.substr(0, 4000));
  std::string more(10001, '\0');
  EXPECT_THROW(decompressor.Decompress(packed.data(), packed.size(), more.data(), more.size()), EReadError);
  EXPECT_THROW(decompressor.Decompress(packed.data(), packed.size() / 2, more.data(), 10000), EReadError);
  Bytes corrupt = packed;
  corrupt[1] ^= 0xFF;
  EXPECT_THROW(decompressor.Decompress(corrupt.data(), corrupt.size(), more.data(), 10000), EDecompressionError);
  // The state recovers from a failure.
  decompressor.Decompress(packed.data(), packed.size(), more.data(), 10000);
  EXPECT_EQ(more.substr(0, 10000), input);
}

// zlib's own account of decoding exactly length bytes from packed: the bytes,
// "short" when the stream holds fewer, or "error: " and zlib's message.
std::string ZlibOutcome(const std::string& packed, std::size_t length) {
  z_stream zs{};
  EXPECT_EQ(inflateInit(&zs), Z_OK);
  std::string out(length, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  zs.avail_in = static_cast<uInt>(packed.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(length);
  int code = inflate(&zs, Z_FINISH);
  if (code == Z_NEED_DICT) code = Z_DATA_ERROR;
  const std::string message = zs.msg ? zs.msg : Format(SZlibError, code);
  const bool full = zs.total_out == length;
  inflateEnd(&zs);
  if (code < 0 && code != Z_BUF_ERROR) return "error: " + message;
  return full ? out : "short";
}

std::string BufferOutcome(TBufferDecompressor& decompressor, const std::string& packed, std::size_t length) {
  std::string out(length, '\0');
  try {
    decompressor.Decompress(packed.data(), packed.size(), out.data(), out.size());
  } catch (const EDecompressionError& error) {
    return "error: " + error.Account();
  } catch (const EReadError&) {
    return "short";
  }
  return out;
}

// The buffer decoder gives what zlib gives, bytes, shortfall or message, for
// sound streams of every kind, for streams asked for less or more than they
// hold, and for every truncation and many single-bit changes of them: a
// faster decoder in its place may not change a result or a message.
TEST(BufferCoders, AgreeWithZlibOnSoundAndDamagedStreams) {
  const std::string input = build::MakeSoundData(600, 5) + std::string(300, 'a');
  TBufferDecompressor decompressor;
  for (const int level : {0, 1, 9}) {
    std::vector<unsigned char> packedBytes(compressBound(input.size()));
    uLongf packedSize = packedBytes.size();
    ASSERT_EQ(
        compress2(packedBytes.data(), &packedSize, reinterpret_cast<const Bytef*>(input.data()), input.size(), level),
        Z_OK);
    const std::string packed(packedBytes.begin(), packedBytes.begin() + static_cast<std::ptrdiff_t>(packedSize));
    std::vector<std::string> streams = {packed, packed + "trailing bytes"};
    for (std::size_t at = 0; at < packed.size(); ++at) {
      streams.push_back(packed.substr(0, at));
      for (const int bit : {0, 3, 7}) {
        streams.push_back(packed);
        streams.back()[at] = static_cast<char>(streams.back()[at] ^ (1 << bit));
      }
    }
    for (const std::string& stream : streams) {
      for (const std::size_t length : {input.size(), input.size() - 1, input.size() + 1, std::size_t{700}}) {
        ASSERT_EQ(BufferOutcome(decompressor, stream, length), ZlibOutcome(stream, length))
            << "level " << level << ", stream of " << stream.size() << " bytes, " << length << " asked";
      }
    }
  }
}

TEST(CompressionStream, EmptyInputStillMakesACompleteStream) {
  const std::string packed = CompressThroughStream("", cmlBest, 1);
  EXPECT_EQ(packed, std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
}

TEST(CompressionStream, LevelsMapToZlibLevels) {
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  const std::string input = build::MakeMovie(100000, 5);
  EXPECT_EQ(static_cast<unsigned char>(CompressThroughStream(input, cmlFast, 100000)[1]), 0x01);
  EXPECT_EQ(static_cast<unsigned char>(CompressThroughStream(input, cmlDef, 100000)[1]), 0x9C);
  EXPECT_EQ(static_cast<unsigned char>(CompressThroughStream(input, cmlBest, 100000)[1]), 0xDA);
  const std::string stored = CompressThroughStream(input, cmlNo, 100000);
  EXPECT_GT(stored.size(), input.size());
  EXPECT_EQ(PythonZlib("decompress", stored), input);
}

TEST(CompressionStream, OnlyCountingSeekIsAllowed) {
  TMemoryStream dest;
  TCompressionStream stream(cmlFast, dest);
  stream.WriteText("hello");
  EXPECT_EQ(stream.Seek(0, soCurrent), 5);
  for (auto origin : {soBeginning, soEnd}) EXPECT_THROW(stream.Seek(0, origin), ECompressionError);
  EXPECT_THROW(stream.Seek(1, soCurrent), ECompressionError);
  char byte;
  try {
    stream.Read(&byte, 1);
    FAIL();
  } catch (const ECompressionError& error) {
    EXPECT_STREQ(error.what(), "Invalid stream operation");
  }
}

TEST(CompressionStream, DestinationMovedBetweenWritesDoesNotHurt) {
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  const std::string input = build::MakeMovie(200000, 6);  // several full transfer buffers
  TMemoryStream dest;
  dest.WriteText("HEAD");
  {
    TCompressionStream stream(cmlBest, dest);
    for (std::size_t at = 0; at < input.size(); at += 50000) {
      stream.WriteBuffer(input.data() + at, 50000);
      dest.SetPosition(0);  // another writer moves the destination
    }
    stream.Finish();
  }
  const std::string written = ToString(dest.Bytes());
  EXPECT_EQ(written.substr(0, 4), "HEAD");
  EXPECT_EQ(PythonZlib("decompress", written.substr(4)), input);
}

TEST(DecompressionStream, ReadsAcrossBuffersWithTheSourceMovedBetweenReads) {
  const std::string input = build::MakeMovie(300000, 7);
  const Bytes packed = CompressBuf(input.data(), input.size());
  TMemoryStream source(Bytes(3, 'p'));
  source.SetPosition(3);
  source.WriteBuffer(packed.data(), packed.size());
  source.SetPosition(3);
  TDecompressionStream stream(source);
  std::string out(input.size(), '\0');
  for (std::size_t at = 0; at < out.size(); at += 70000) {
    const std::size_t step = std::min<std::size_t>(70000, out.size() - at);
    EXPECT_EQ(stream.Read(out.data() + at, step), step);
    source.SetPosition(0);
  }
  EXPECT_EQ(out, input);
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(input.size()));
}

TEST(DecompressionStream, ShortDataGivesAShortCountAndCopyFails) {
  const std::string input = build::MakeSoundData(50000, 8);
  const Bytes packed = CompressBuf(input.data(), input.size());
  // Complete data followed by other bytes: reading past its end gives a short count.
  TMemoryStream whole(packed);
  whole.Seek(0, soEnd);
  whole.WriteText("trailing bytes");
  whole.SetPosition(0);
  TDecompressionStream stream(whole);
  std::string out(60000, '\0');
  EXPECT_EQ(stream.Read(out.data(), out.size()), input.size());
  EXPECT_EQ(stream.Read(out.data(), 10), 0u);
  // A source that ends early: copy-by-count fails with the read error.
  TMemoryStream cut(Bytes(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2)));
  TDecompressionStream cutStream(cut);
  TMemoryStream sink;
  EXPECT_THROW(sink.CopyFrom(cutStream, static_cast<std::int64_t>(input.size())), EReadError);
}

TEST(DecompressionStream, SeekMovesForwardOnlyAndRestartsFromTheSourceStart) {
  const std::string input = build::MakeSoundData(20000, 9);
  TMemoryStream source(CompressBuf(input.data(), input.size()));
  TDecompressionStream stream(source);
  EXPECT_EQ(stream.Seek(5000, soCurrent), 5000);
  EXPECT_EQ(stream.Seek(5000, soBeginning), 5000);  // exactly the count delivered: reads nothing
  EXPECT_EQ(stream.Seek(7000, soBeginning), 7000);
  char byte = 0;
  stream.ReadBuffer(&byte, 1);
  EXPECT_EQ(byte, input[7000]);
  EXPECT_THROW(stream.Seek(100, soBeginning), EDecompressionError);
  EXPECT_THROW(stream.Seek(-1, soCurrent), EDecompressionError);
  EXPECT_THROW(stream.Seek(0, soEnd), EDecompressionError);
  EXPECT_THROW(stream.Seek(30000, soCurrent), EReadError);  // past the end of the data
  source.SetPosition(1234);
  EXPECT_EQ(stream.Seek(0, soBeginning), 0);
  stream.ReadBuffer(&byte, 1);
  EXPECT_EQ(byte, input[0]);
  EXPECT_THROW(stream.Write("x", 1), EDecompressionError);
}

TEST(DecompressionStream, CorruptDataRaisesTheZlibResult) {
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  std::string packed = PythonZlib("compress", build::MakeSoundData(20000, 10));
  packed[2] = static_cast<char>(0xFF);  // an invalid block type
  TMemoryStream source(ToBytes(packed));
  TDecompressionStream stream(source);
  std::string out(20000, '\0');
  try {
    stream.Read(out.data(), out.size());
    FAIL();
  } catch (const EDecompressionError& error) {
    EXPECT_STREQ(error.what(), "ZLIB Internal error -3");
  }
}

}  // namespace
}  // namespace trovex

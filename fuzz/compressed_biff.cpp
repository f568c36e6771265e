// The blocks of a compressed archive, decompressed as extraction does it
// (through the ordered pipeline, here on one thread so that a busy machine
// does not slow every input down; whole blocks by the fast buffer decoder,
// large ones streamed). A damaged archive fails with a format error; a sound
// one gives exactly the bytes its blocks promise, and the bytes that zlib's
// stream decoder gives for each block.
#include "FuzzCheck.hpp"
#include "archive/BiffExtractCompressed.hpp"
#include "archive/BiffFormat.hpp"
#include "compress/Zlib.hpp"

#include <optional>

using namespace trovex;

namespace {

// What zlib's stream decoder makes of the blocks of a sound archive, one
// after the other, walking their headers; nothing when it refuses a block.
// The whole-block decoder (libdeflate) takes a few streams that zlib refuses,
// such as a code-length repeat running past the last length, and checks
// their checksum all the same: then its bytes stand.
std::optional<std::vector<unsigned char>> StreamDecoded(TMemoryStream& archive) {
  const auto size = static_cast<std::uint64_t>(archive.Size());
  std::vector<unsigned char> plain;
  for (std::uint64_t at = 12; at + 8 <= size;) {
    archive.SetPosition(static_cast<std::int64_t>(at));
    const CompressedBiffBlock block = ReadCompressedBiffBlock(archive);
    const std::size_t done = plain.size();
    plain.resize(done + block.uncompressedLength);
    TDecompressionStream stream(archive);
    try {
      stream.ReadBuffer(plain.data() + done, block.uncompressedLength);
    } catch (const EDecompressionError&) {
      return std::nullopt;
    }
    at += 8 + std::uint64_t{block.compressedLength};
  }
  return plain;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::QuietRun quiet;
  TMemoryStream archive = fuzz::MemoryOf(data, size);
  TMemoryStream plain;
  try {
    fuzz::Require(DecompressBiffBlocks(quiet.run, archive, "fuzz.bif", plain, 1), "no stop, no early end");
  } catch (const EFormatError&) {
    return 0;
  }
  const auto reference = StreamDecoded(archive);
  fuzz::Require(!reference || plain.Bytes() == *reference, "a sound archive gives what zlib makes of its blocks");
  return 0;
}

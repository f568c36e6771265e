// A compressed image item: its 12-byte header and zlib stream, opened as the
// handlers open it (the fast buffer decoder at the stated length) and decoded
// by zlib's decoders (whole buffer, fixed length, stream). An item that opens
// holds what zlib's stream decoder gives; the decoders agree with each other,
// corrupt data fails with a zlib or read error, and what they give
// compresses and decompresses back to itself.
#include <algorithm>
#include <cstring>
#include <optional>

#include "FuzzCheck.hpp"
#include "archive/BiffFormat.hpp"
#include "archive/BiffImageItems.hpp"
#include "compress/Zlib.hpp"

using namespace trovex;

namespace {

// The largest first guess of the decoded size (the buffer grows beyond it).
constexpr std::size_t kMaxPlain = 1 << 16;

// The stream decoder's bytes, up to limit.
std::vector<unsigned char> StreamDecoded(TMemoryStream& item, std::size_t limit) {
  item.SetPosition(12);
  TDecompressionStream stream(item);
  std::vector<unsigned char> plain(limit);
  plain.resize(stream.Read(plain.data(), plain.size()));
  return plain;
}

// The item opened as extraction and insertion open it, whatever its
// signature said; nothing when it does not open.
std::optional<std::vector<unsigned char>> Opened(const std::uint8_t* data, std::size_t size) {
  std::vector<unsigned char> stored(data, data + size);
  std::memcpy(stored.data(), kBamItem.packedSignature, 8);
  TBufferDecompressor inflater;
  try {
    return OpenImageItem(stored, kBamItem, inflater).content;
  } catch (const EFormatError&) {
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream item = fuzz::MemoryOf(data, size);
  CompressedItemHeader header;
  try {
    header = ReadCompressedItemHeader(item);
  } catch (const EReadError&) {
    fuzz::Require(size < 12, "a 12-byte header reads");
    return 0;
  }
  if (const auto opened = Opened(data, size)) {
    // The whole-buffer decoder (libdeflate) takes a few streams that zlib
    // refuses, such as a code-length repeat running past the last length,
    // and checks their checksum all the same: then its bytes stand.
    try {
      fuzz::Require(StreamDecoded(item, opened->size()) == *opened, "an opened item holds what zlib decodes");
    } catch (const EDecompressionError&) {
    }
  }
  const unsigned char* packed = data + 12;
  const std::size_t packedSize = size - 12;
  std::vector<unsigned char> whole;
  try {
    whole = DecompressBuf(packed, packedSize, std::min<std::size_t>(header.uncompressedLength, kMaxPlain));
  } catch (const EZlibError&) {
    return 0;
  } catch (const EReadError&) {
    return 0;
  }
  const std::vector<unsigned char> again = CompressBuf(whole.data(), whole.size());
  fuzz::Require(DecompressBuf(again.data(), again.size()) == whole, "decoded bytes survive a round trip");
  const std::size_t length = std::min(whole.size(), std::min<std::size_t>(header.uncompressedLength, kMaxPlain));
  std::vector<unsigned char> fixed(length);
  TBufferDecompressor().Decompress(packed, packedSize, fixed.data(), fixed.size());
  fuzz::Require(std::equal(fixed.begin(), fixed.end(), whole.begin()), "fixed-length decoding agrees");
  fuzz::Require(StreamDecoded(item, whole.size() + 1) == whole, "stream decoding agrees");
  return 0;
}

// A compressed image item: its 12-byte header and zlib stream, decoded by the
// three decoders the handlers use (whole buffer, fixed length, stream). They
// agree with each other, corrupt data fails with a zlib or read error, and
// what they give compresses and decompresses back to itself.
#include <algorithm>

#include "FuzzCheck.hpp"
#include "archive/BiffFormat.hpp"
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

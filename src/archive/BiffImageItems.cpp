#include "archive/BiffImageItems.hpp"

#include <cstring>

#include "archive/BiffFormat.hpp"
#include "framework/FileStream.hpp"

namespace trovex {

namespace {

constexpr std::size_t kSignatureSize = 8;
constexpr std::size_t kItemHeaderSize = 12;
// zlib's deflate cannot pack more tightly than about 1032 to 1.
constexpr std::uint64_t kMostInflation = 1032;

std::string SignatureText(const std::vector<unsigned char>& stored) {
  std::string text(stored.begin(),
                   stored.begin() + static_cast<std::ptrdiff_t>(std::min(stored.size(), kSignatureSize)));
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
  }
  return text;
}

bool HasSignature(const std::vector<unsigned char>& stored, const char* signature) {
  return stored.size() >= kSignatureSize && std::memcmp(stored.data(), signature, kSignatureSize) == 0;
}

}  // namespace

ImageItem OpenImageItem(const std::vector<unsigned char>& stored, const ImageItemKind& kind,
                        TBufferDecompressor& inflater) {
  if (HasSignature(stored, kind.plainSignature)) return {false, stored};
  if (!HasSignature(stored, kind.packedSignature)) {
    throw EFormatError("unsupported signature \"" + SignatureText(stored) + "\"");
  }
  if (stored.size() < kItemHeaderSize) throw EFormatError("compressed item shorter than its 12-byte header");
  const std::uint32_t length = LoadU32(stored.data() + kSignatureSize);
  const std::size_t packed = stored.size() - kItemHeaderSize;
  if (length > kMostInflation * packed + 64)
    throw EFormatError(Format("%u bytes cannot come from %zu compressed bytes", length, packed));
  ImageItem item{true, std::vector<unsigned char>(length)};
  try {
    inflater.Decompress(stored.data() + kItemHeaderSize, packed, item.content.data(), length);
  } catch (const EZlibError& error) {
    throw EFormatError(std::string("damaged compressed data (") + error.what() + ")");
  } catch (const EReadError&) {
    throw EFormatError("compressed data shorter than its length");
  }
  return item;
}

void StoreImageItem(TStream& out, const ImageItemKind& kind, const ImageItem& item) {
  if (!item.compressed) {
    out.WriteBuffer(item.content.data(), item.content.size());
    return;
  }
  if (item.content.size() > UINT32_MAX) throw EFormatError("a compressed item holds at most 4 GiB");
  CompressedItemHeader header{};
  std::memcpy(header.signature, kind.packedSignature, sizeof header.signature);
  header.uncompressedLength = static_cast<std::uint32_t>(item.content.size());
  WriteCompressedItemHeader(out, header);
  TCompressionStream zip(cmlFast, out);
  zip.WriteBuffer(item.content.data(), item.content.size());
  zip.Finish();
}

std::vector<unsigned char> ReadEntryBytes(const TFileStream& archive, std::uint64_t offset, std::uint32_t size) {
  std::vector<unsigned char> bytes(size);
  archive.ReadBufferAt(static_cast<std::int64_t>(offset), bytes.data(), bytes.size());
  return bytes;
}

}  // namespace trovex

// The stored forms of image entries (types 1000 and 1004): a compressed item
// ("BAMCV1  " / "MOSCV1  ", a length and a zlib stream) or the plain file
// ("BAM V1  " / "MOS V1  ") stored as it is. Extraction converts either, and
// insertion stores a rebuilt image in the form that it had.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compress/Zlib.hpp"
#include "framework/FileStream.hpp"
#include "framework/Stream.hpp"

namespace trovex {

struct ImageItemKind {
  const char* plainSignature;   // "BAM V1  "
  const char* packedSignature;  // "BAMCV1  "
};
inline constexpr ImageItemKind kBamItem{"BAM V1  ", "BAMCV1  "};
inline constexpr ImageItemKind kMosItem{"MOS V1  ", "MOSCV1  "};

struct ImageItem {
  bool compressed = false;
  std::vector<unsigned char> content;  // the plain BAM or MOS
};

// The image that the stored bytes hold. An unknown signature (version 2
// images, which refer to outside textures, for one), a length the stream
// cannot justify or damaged zlib data fail with EFormatError saying why.
ImageItem OpenImageItem(const std::vector<unsigned char>& stored, const ImageItemKind& kind,
                        TBufferDecompressor& inflater);

// Writes the image in its stored form: as it is, or as a compressed item
// (zlib level 1).
void StoreImageItem(TStream& out, const ImageItemKind& kind, const ImageItem& item);

// The entry's stored bytes.
std::vector<unsigned char> ReadEntryBytes(const TFileStream& archive, std::uint64_t offset, std::uint32_t size);

}  // namespace trovex

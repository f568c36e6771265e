// MOS images (a picture cut into square tiles, each with its own palette of
// 256 blue, green, red entries) to 24-bit bitmaps and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/Bitmap.hpp"

namespace trovex {

// The header at offset 8 and where the tables lie.
struct MosLayout {
  std::uint16_t width;          // 8: pixels
  std::uint16_t height;         // 10: pixels
  std::uint16_t columns;        // 12: tiles across
  std::uint16_t rows;           // 14: tiles down
  std::uint32_t blockSize;      // 16: edge of a full tile
  std::uint32_t paletteOffset;  // 20: one 1024-byte palette per tile
  std::uint64_t tableOffset;    // the tile offset table, behind the palettes
  std::uint64_t dataOffset;     // the tile data, behind the table
};

// Reads the header and checks that the palettes, the tile table and every
// tile's pixels lie in the file. A tile holds only the columns and rows that
// lie inside the image, so tiles of the last row and column may be short.
// A damaged layout fails with EFormatError saying what is wrong.
MosLayout ReadMosLayout(const unsigned char* mos, std::size_t size);

// The picture as a 24-bit bitmap of the image's size.
TBitmap MosToBitmap(const std::vector<unsigned char>& mos);

// Rewrites the tile pixels from the bitmap, which must have the image's size
// (else EFormatError, and the MOS is unchanged). A pixel whose colour is that
// of the index the tile holds there keeps the index; any other takes the
// nearest colour of the tile's palette. Header, palettes and table stay.
void BitmapToMos(std::vector<unsigned char>& mos, const TBitmap& bitmap);

}  // namespace trovex

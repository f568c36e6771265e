// The BAM image layout as the frame and font conversions read it. All
// integers are little-endian; offsets count from the start of the BAM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/Bitmap.hpp"

namespace trovex {

inline constexpr std::size_t kBamHeaderSize = 24;
inline constexpr std::size_t kBamFrameEntrySize = 12;
inline constexpr std::uint32_t kUncompressedFlag = 0x80000000u;

// One 12-byte entry of the frame table.
struct BamFrame {
  std::uint16_t width;       // +0: pixels
  std::uint16_t height;      // +2: pixels
  std::uint16_t centreX;     // +4
  std::uint16_t centreY;     // +6
  std::uint32_t dataOffset;  // +8: bits 0-30; bit 31 is the uncompressed flag
  bool uncompressed;
};

struct BamLayout {
  std::uint16_t frameCount;        // 8
  unsigned char runValue;          // 11: the value that zero runs repeat
  std::uint32_t frameTableOffset;  // 12
  std::uint32_t paletteOffset;     // 16
  std::uint32_t lookupOffset;      // 20: frame lookup table; ends the palette
  std::vector<BamFrame> frames;
  // The stored palette, red, green, blue per entry, as many entries as stored.
  TColorTable palette{};
  // How many entries of palette the file stores; those beyond read as black.
  unsigned paletteCount = 0;
};

// Reads the header, the frame table and the palette, and checks that every
// frame's pixel data can lie in the image. A palette whose length (lookup
// offset − palette offset) is not 4 to 1024 bytes is read as 256 entries at
// its offset. A damaged layout fails with EFormatError saying what is wrong.
BamLayout ReadBamLayout(const unsigned char* bam, std::size_t size);

// The bytes of the stored palette that ReadBamLayout reads: the difference
// of the lookup and palette offsets when that is 4 to 1024, else 1024.
std::uint32_t BamPaletteBytes(const BamLayout& layout);

// The cycle table behind the frame table (byte 10 counts its 4-byte
// entries: frame count, first lookup index) and how many frame lookup
// entries the cycles reach (the largest first index + count). A cycle table
// beyond the end fails with EFormatError.
struct BamCycleTable {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  std::uint32_t lookupEntries = 0;
};
BamCycleTable ReadBamCycleTable(const unsigned char* bam, std::size_t size, const BamLayout& layout);

// Where a table lies, and the header field (12, 16 or 20) holding its offset.
struct BamTableSpan {
  std::size_t headerField;
  std::uint64_t start;
  std::uint64_t end;
};
// The frame table with the cycle table behind it, the palette, and the frame
// lookup table (2 bytes per entry, as many entries as the cycles reach), in
// that order. A table that does not lie in the file fails with EFormatError.
std::vector<BamTableSpan> BamTableSpans(const unsigned char* bam, std::size_t size, const BamLayout& layout);

// The frame's width × height pixel bytes, and how many stored bytes they take.
struct DecodedFrame {
  std::vector<unsigned char> pixels;
  std::size_t storedBytes;
};
DecodedFrame DecodeBamFrame(const unsigned char* bam, std::size_t size, const BamLayout& layout, const BamFrame& frame);

// Entry i of the frame table as written back: size and data offset.
void StoreBamFrame(unsigned char* bam, const BamLayout& layout, std::size_t index, const BamFrame& frame);

}  // namespace trovex

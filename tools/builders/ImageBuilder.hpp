// Builders of frame images (BAM), tiled images (MOS) and fonts, in the forms
// real game files have: run values other than 0, compressed and plain frames,
// frames sharing data or stored out of order, short last tiles, palettes
// with repeated colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovex::build {

struct FrameShape {
  std::uint16_t width;
  std::uint16_t height;
  bool compressed = true;
  std::int32_t sharesWith = -1;  // index of an earlier frame whose data this one uses
  std::uint16_t centreX = 0;
  std::uint16_t centreY = 0;
};

struct BamShape {
  std::vector<FrameShape> frames;
  unsigned char runValue = 0;
  std::uint32_t seed = 1;
  bool dataInReverse = false;       // frame data stored in reverse table order
  std::uint32_t lookupEntries = 0;  // 0: one per frame
};

// The palette colours of a BAM (red, green, blue per entry); entry 0 is green.
std::vector<std::uint32_t> BamPaletteColors(std::uint32_t seed);
// The pixels that MakeBam stores for frame f of the shape (width × height
// indices, with runs of the run value).
std::string FramePixels(const BamShape& shape, std::size_t frame);
// The zero-run encoding of pixels, counting runs of runValue.
std::string PackZeroRuns(const std::string& pixels, unsigned char runValue);
// A plain "BAM V1  " file.
std::string MakeBam(const BamShape& shape);

// A font: a BAM with a lookup table of 256 entries; frames of varied sizes,
// most zero-run encoded. Its palette holds black, white and grey. Made by
// MakeFontOf (FontBuilder.hpp) with the shape's defaults.
std::string MakeFont(std::uint16_t frameCount, std::uint32_t seed);

// A plain "MOS V1  " file of width × height in tiles of block pixels, tile
// data holding only the rows and columns inside the image. Each tile palette
// has 24 colours, two of them repeated, the rest of its entries zero.
std::string MakeMos(std::uint16_t width, std::uint16_t height, std::uint32_t block, std::uint32_t seed);

// A BAM as MakeBam makes it, with the given palette colours (red, green,
// blue per entry) in place of BamPaletteColors.
std::string MakeBamWithPalette(const BamShape& shape, const std::vector<std::uint32_t>& palette);
// The BAM of MakeBam with its palette and/or its frame lookup table moved
// behind the frame data, the header and frame offsets following them.
std::string MoveBamTablesBehindData(const std::string& bam, bool palette, bool lookup);
// The BAM with the data offset of every frame without pixels set to offset
// (flags kept): pointing into the header, say.
std::string PointEmptyFramesAt(std::string bam, std::uint32_t offset);

// A run-length BMP file (bits 8: RLE8, bits 4: RLE4) of the pixel indices,
// top row first, with the colour table. Stretches of 3 or more pixels without
// 3 equal in a row go in literal runs, padded to 16 bits when their bytes are
// odd; everything else in repeat runs.
std::string MakeRleBitmap(unsigned bits, std::uint32_t width, std::uint32_t height,
                          const std::vector<unsigned char>& pixels, const std::vector<std::uint32_t>& colours);

// A compressed item: the 8-byte signature ("BAMCV1  " or "MOSCV1  "), the
// plain length and the zlib stream of the plain file.
std::string CompressItem(const std::string& signature, const std::string& plain, int level = 9);

}  // namespace trovex::build

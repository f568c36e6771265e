#include "imaging/MosConvert.hpp"

#include <algorithm>

#include "framework/Errors.hpp"
#include "framework/Stream.hpp"
#include "imaging/Palette.hpp"

namespace trovex {

namespace {

constexpr std::size_t kMosHeaderSize = 24;
constexpr std::uint64_t kTilePaletteBytes = 1024;
// A picture takes about one stored byte per pixel; this much more is refused
// as a header that lies about its size.
constexpr std::uint64_t kMostPixelsPerByte = 64;

// The part of the image that tile (row, column) covers.
struct TileArea {
  std::uint32_t left, top, width, height;
};

std::uint32_t Span(std::uint32_t extent, std::uint32_t block, std::uint32_t index) {
  const std::uint64_t start = std::uint64_t{block} * index;
  return start >= extent ? 0 : static_cast<std::uint32_t>(std::min<std::uint64_t>(block, extent - start));
}

TileArea AreaOf(const MosLayout& layout, std::uint32_t row, std::uint32_t column) {
  const std::uint32_t w = Span(layout.width, layout.blockSize, column);
  const std::uint32_t h = Span(layout.height, layout.blockSize, row);
  return {w ? layout.blockSize * column : 0, h ? layout.blockSize * row : 0, w, h};
}

std::size_t TileNumber(const MosLayout& layout, std::uint32_t row, std::uint32_t column) {
  return std::size_t{row} * layout.columns + column;
}

const unsigned char* TileData(const unsigned char* mos, const MosLayout& layout, std::size_t tile) {
  return mos + layout.dataOffset + LoadU32(mos + layout.tableOffset + 4 * tile);
}

// The tile's palette in red, green, blue order.
TColorTable TilePalette(const unsigned char* mos, const MosLayout& layout, std::size_t tile) {
  unsigned char entries[kTilePaletteBytes];
  const unsigned char* stored = mos + layout.paletteOffset + kTilePaletteBytes * tile;
  std::copy(stored, stored + kTilePaletteBytes, entries);
  SwapRedBlue(entries, sizeof entries);
  return PaletteFromEntries(256, entries);
}

// Calls visit(tile number, area) for every tile with pixels, row by row.
template <class Visit>
void ForEachTile(const MosLayout& layout, Visit visit) {
  for (std::uint32_t r = 0; r < layout.rows; ++r) {
    for (std::uint32_t c = 0; c < layout.columns; ++c) {
      const TileArea area = AreaOf(layout, r, c);
      if (area.width != 0 && area.height != 0) visit(TileNumber(layout, r, c), area);
    }
  }
}

}  // namespace

MosLayout ReadMosLayout(const unsigned char* mos, std::size_t size) {
  if (size < kMosHeaderSize) throw EFormatError("shorter than its 24-byte header");
  MosLayout layout{LoadU16(mos + 8),
                   LoadU16(mos + 10),
                   LoadU16(mos + 12),
                   LoadU16(mos + 14),
                   LoadU32(mos + 16),
                   LoadU32(mos + 20),
                   0,
                   0};
  const std::uint64_t tiles = std::uint64_t{layout.columns} * layout.rows;
  layout.tableOffset = layout.paletteOffset + tiles * kTilePaletteBytes;
  layout.dataOffset = layout.tableOffset + tiles * 4;
  if (layout.dataOffset > size)
    throw EFormatError(Format("%llu tiles do not fit the file", static_cast<unsigned long long>(tiles)));
  if (std::uint64_t{layout.width} * layout.height > kMostPixelsPerByte * size) {
    throw EFormatError(Format("%ux%u pixels do not fit the file", unsigned{layout.width}, unsigned{layout.height}));
  }
  ForEachTile(layout, [&](std::size_t tile, const TileArea& area) {
    const std::uint64_t start = layout.dataOffset + LoadU32(mos + layout.tableOffset + 4 * tile);
    if (start + std::uint64_t{area.width} * area.height > size) {
      throw EFormatError(Format("tile %zu: data beyond end of file", tile));
    }
  });
  return layout;
}

TBitmap MosToBitmap(const std::vector<unsigned char>& mos) {
  const MosLayout layout = ReadMosLayout(mos.data(), mos.size());
  TBitmap bitmap(PixelFormat::pf24bit, layout.width, layout.height);
  ForEachTile(layout, [&](std::size_t tile, const TileArea& area) {
    const TColorTable palette = TilePalette(mos.data(), layout, tile);
    const unsigned char* data = TileData(mos.data(), layout, tile);
    for (std::uint32_t y = 0; y < area.height; ++y) {
      for (std::uint32_t x = 0; x < area.width; ++x) {
        bitmap.SetColor(area.left + x, area.top + y, palette[data[std::size_t{y} * area.width + x]]);
      }
    }
  });
  return bitmap;
}

void BitmapToMos(std::vector<unsigned char>& mos, const TBitmap& bitmap) {
  const MosLayout layout = ReadMosLayout(mos.data(), mos.size());
  if (bitmap.Width() != layout.width || bitmap.Height() != layout.height) {
    throw EFormatError(Format("the bitmap is %ux%u pixels, the image %ux%u", bitmap.Width(), bitmap.Height(),
                              unsigned{layout.width}, unsigned{layout.height}));
  }
  ForEachTile(layout, [&](std::size_t tile, const TileArea& area) {
    TColorMapper mapper(TilePalette(mos.data(), layout, tile));
    unsigned char* data = mos.data() + (TileData(mos.data(), layout, tile) - mos.data());
    for (std::uint32_t y = 0; y < area.height; ++y) {
      for (std::uint32_t x = 0; x < area.width; ++x) {
        unsigned char& index = data[std::size_t{y} * area.width + x];
        index = mapper.IndexOf(bitmap.Pixel(area.left + x, area.top + y), index);
      }
    }
  });
}

}  // namespace trovex

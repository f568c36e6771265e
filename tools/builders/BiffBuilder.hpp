// Builders of BIFF archives and of the resources they hold, for tests,
// samples and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trovex::build {

struct BiffItem {
  std::uint16_t type;
  std::string data;
  std::uint32_t locator = 0;
};

// A plain archive: 20-byte header ("BIFFV1  " signature), file table at
// offset 20, data back to back in table order.
std::string MakeBiff(const std::vector<BiffItem>& items, std::uint32_t tileCount = 0);

// The header and file table of such an archive alone, for items of the given
// types and sizes that are to follow back to back (used to stream big files).
struct BiffSlot {
  std::uint16_t type;
  std::uint32_t size;
  std::uint32_t locator = 0;
};
std::string MakeBiffDirectory(const std::vector<BiffSlot>& slots, std::uint32_t tileCount = 0);

// Archives laid out as the game's own are: the file and tile tables after
// the data, at the end of the file (or right behind the header), and padding
// between the data of entries.
struct BiffTileSet {
  std::uint32_t tileCount;
  std::uint32_t tileSize;
  std::string data;  // tileCount x tileSize bytes
  std::uint32_t locator = 0;
};
struct BiffLayout {
  bool tablesAtEnd = true;
  // Entry k's data (file entries, then tile sets) is followed by
  // 1 + k % maxPadding zero bytes; 0 gives none.
  std::uint32_t maxPadding = 4;
};
struct BiffTileSlot {
  std::uint32_t tileCount;
  std::uint32_t tileSize;
  std::uint32_t locator = 0;
};
// Such an archive in pieces, so that big ones can be streamed: the header,
// the tables, then for each entry its data followed by paddings[k] zero
// bytes; the tables go where the layout says.
struct BiffPlan {
  std::string header;
  std::string tables;  // file entries, then tile entries
  std::vector<std::uint32_t> paddings;
};
BiffPlan PlanBiff(const std::vector<BiffSlot>& slots, const std::vector<BiffTileSlot>& tiles, const BiffLayout& layout);
std::string MakeBiff(const std::vector<BiffItem>& items, const std::vector<BiffTileSet>& tiles,
                     const BiffLayout& layout);
// Tile-set bytes: tileCount tiles of tileSize bytes.
std::string MakeTileData(std::uint32_t tileCount, std::uint32_t tileSize, std::uint32_t seed);
inline constexpr std::uint16_t kTileSetType = 0x3EB;

// Sound-like bytes: a noisy 16-bit waveform, partly compressible.
std::string MakeSoundData(std::size_t size, std::uint32_t seed);
// A WAVC sound of `size` bytes in all: a 28-byte header beginning "WAVC" and
// a payload (a size below 28 cuts the header short).
std::string MakeWavc(std::size_t size, std::uint32_t seed);
// A RIFF wave file (16-bit mono PCM) of about `size` bytes.
std::string MakeRiffWave(std::size_t size, std::uint32_t seed);
// A small valid Windows bitmap, 8 bits per pixel with a colour table.
std::string MakeBitmap(int width, int height, std::uint32_t seed);
// A fake movie of `size` bytes.
std::string MakeMovie(std::size_t size, std::uint32_t seed);

// The compressed-archive form ("BIFCV1.0") of any bytes, in blocks of
// blockSize at zlib level `level`.
std::string CompressBiff(const std::string& plain, std::size_t blockSize = 8192, int level = 9);

}  // namespace trovex::build

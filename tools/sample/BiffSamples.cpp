#include "builders/BiffBuilder.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "sample/Samples.hpp"

namespace trovex::sample {

namespace {

constexpr std::uint16_t kBitmap = 1, kMovie = 2, kSound = 4;

// Sounds.bif: 40 sounds, WAVC and RIFF, of varied lengths; entry 26 is a WAVC
// sound of exactly 1000 bytes.
std::string SoundsArchive() {
  std::vector<build::BiffItem> items;
  for (std::uint32_t i = 0; i < 40; ++i) {
    const std::size_t size = 600 + 137 * i;
    std::string data = i == 26      ? build::MakeWavc(1000, i)
                       : i % 5 == 3 ? build::MakeRiffWave(size, i)
                                    : build::MakeWavc(size, i);
    items.push_back({kSound, std::move(data), i});
  }
  return build::MakeBiff(items);
}

// Mixed.bif: every kind that extraction writes, between entries of types it
// passes over (scripts, items, dialogs and the like, as opaque bytes).
std::string MixedArchive() {
  const std::uint16_t otherTypes[] = {0x3EF, 0x3ED, 0x3F0, 0x3F3, 0x3E9};
  std::vector<build::BiffItem> items;
  for (std::uint32_t i = 0; i < 30; ++i) {
    switch (i % 6) {
      case 0:
        items.push_back({kSound, build::MakeWavc(2000 + 50 * i, i), i});
        break;
      case 1:
        items.push_back({kSound, build::MakeRiffWave(3000 + 10 * i, i), i});
        break;
      case 2:
        items.push_back({kBitmap, build::MakeBitmap(16 + static_cast<int>(i), 12, i), i});
        break;
      case 3:
        items.push_back({kMovie, build::MakeMovie(5000 + 100 * i, i), i});
        break;
      default:
        items.push_back({otherTypes[i % 5], build::MakeMovie(200 + 7 * i, i + 100), i});
        break;
    }
  }
  return build::MakeBiff(items);
}

// Area.bif: laid out as the game's area archives are, with its tables at the
// end, padding between entries, sounds and bitmaps, and 16 tile sets,
// numbered from 1 in their locators as the game's are.
std::string AreaArchive() {
  std::vector<build::BiffItem> items;
  for (std::uint32_t i = 0; i < 12; ++i) {
    items.push_back(i % 3 == 2 ? build::BiffItem{kBitmap, build::MakeBitmap(8 + static_cast<int>(i), 6, i), i}
                               : build::BiffItem{kSound, build::MakeWavc(800 + 90 * i, i + 50), i});
  }
  std::vector<build::BiffTileSet> tiles;
  for (std::uint32_t t = 0; t < 16; ++t) tiles.push_back({4 + t, 5120, build::MakeTileData(4 + t, 5120, t), (t + 1) << 14});
  return build::MakeBiff(items, tiles, {.tablesAtEnd = true, .maxPadding = 4});
}

}  // namespace

// Sounds.bif, Mixed.bif and Area.bif are plain archives; Packed.bif is
// Mixed.bif in compressed form.
std::vector<std::string> WriteBiffSamples(const std::string& dir) {
  const std::string mixed = MixedArchive();
  WriteWholeFile(JoinPath(dir, "Sounds.bif"), SoundsArchive());
  WriteWholeFile(JoinPath(dir, "Mixed.bif"), mixed);
  WriteWholeFile(JoinPath(dir, "Packed.bif"), build::CompressBiff(mixed));
  WriteWholeFile(JoinPath(dir, "Area.bif"), AreaArchive());
  return {"Sounds.bif", "Mixed.bif", "Packed.bif", "Area.bif"};
}

}  // namespace trovex::sample

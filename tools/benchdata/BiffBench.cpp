#include <cstdio>
#include <string>

#include "benchdata/BenchData.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/Bytes.hpp"
#include "framework/Errors.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex::benchdata {

namespace {

constexpr std::uint16_t kSound = 4;

// Sizes around total / count (within an eighth either way, in pairs that
// balance each other) that add up to total.
std::vector<std::uint32_t> EntrySizes(std::uint64_t total, std::uint32_t count) {
  build::Random random(count);
  const auto mean = static_cast<std::uint32_t>(total / count);
  std::vector<std::uint32_t> sizes(count, mean);
  for (std::uint32_t i = 0; i + 1 < count; i += 2) {
    const std::uint32_t swing = random.Below(mean / 8 + 1);
    sizes[i] += swing;
    sizes[i + 1] -= swing;
  }
  sizes[count - 1] += static_cast<std::uint32_t>(total - std::uint64_t{mean} * count);
  return sizes;
}

}  // namespace

// The archive is written entry by entry, so that its size never has to fit in memory.
int MakeBiffSounds(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: trovex-benchdata biff-sounds OUT TOTAL_MIB COUNT\n");
    return 2;
  }
  const std::uint64_t total = std::stoull(args[1]) << 20;
  const auto count = static_cast<std::uint32_t>(std::stoul(args[2]));
  if (count == 0 || total / count < 28 || total >= (std::uint64_t{1} << 32)) {
    throw EConvertError("biff-sounds: TOTAL_MIB must be below 4096 and give every entry at least 28 bytes");
  }
  const std::vector<std::uint32_t> sizes = EntrySizes(total, count);
  std::vector<build::BiffSlot> slots;
  for (std::uint32_t i = 0; i < count; ++i) slots.push_back({kSound, sizes[i], i});
  TSafeOutput output(args[0]);
  output.WriteText(build::MakeBiffDirectory(slots));
  for (std::uint32_t i = 0; i < count; ++i) output.WriteText(build::MakeWavc(sizes[i], i + 1));
  output.Commit();
  return 0;
}

// An archive laid out as the game's own are: tables at the end, padding
// between entries, tile sets of 5120-byte tiles behind the file entries'
// data. Written entry by entry.
int MakeBiffReal(const std::vector<std::string>& args) {
  if (args.size() != 4) {
    std::fprintf(stderr, "usage: trovex-benchdata biff-real OUT TOTAL_MIB COUNT TILE_SETS\n");
    return 2;
  }
  constexpr std::uint32_t kTileSize = 5120, kTilesPerSet = 200;
  const std::uint64_t total = std::stoull(args[1]) << 20;
  const auto count = static_cast<std::uint32_t>(std::stoul(args[2]));
  const auto tileSets = static_cast<std::uint32_t>(std::stoul(args[3]));
  const std::uint64_t tileBytes = std::uint64_t{tileSets} * kTilesPerSet * kTileSize;
  if (count == 0 || total <= tileBytes || (total - tileBytes) / count < 28 || total >= (std::uint64_t{1} << 32) - (1 << 20)) {
    throw EConvertError("biff-real: TOTAL_MIB must be below 4095 and leave every entry at least 28 bytes beside the tiles");
  }
  const std::vector<std::uint32_t> sizes = EntrySizes(total - tileBytes, count);
  std::vector<build::BiffSlot> slots;
  for (std::uint32_t i = 0; i < count; ++i) slots.push_back({kSound, sizes[i], i});
  const std::vector<build::BiffTileSlot> tiles(tileSets, {kTilesPerSet, kTileSize});
  const build::BiffPlan plan = build::PlanBiff(slots, tiles, {.tablesAtEnd = true, .maxPadding = 4});
  TSafeOutput output(args[0]);
  output.WriteText(plan.header);
  std::size_t k = 0;
  for (std::uint32_t i = 0; i < count; ++i) output.WriteText(build::MakeWavc(sizes[i], i + 1) + std::string(plan.paddings[k++], '\0'));
  for (std::uint32_t t = 0; t < tileSets; ++t) {
    output.WriteText(build::MakeTileData(kTilesPerSet, kTileSize, t) + std::string(plan.paddings[k++], '\0'));
  }
  output.WriteText(plan.tables);
  output.Commit();
  return 0;
}

}  // namespace trovex::benchdata

#include <cstdio>
#include <string>

#include "benchdata/BenchData.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/Bytes.hpp"
#include "builders/ImageBuilder.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex::benchdata {

namespace {

constexpr std::uint16_t kBam = 1000, kMos = 1004;
constexpr std::uint32_t kFramesPerBam = 20;

// A creature-like BAM: 20 frames of 30 to 69 × 40 to 89 pixels, zero-run encoded.
std::string BenchBam(std::uint32_t seed) {
  build::Random random(seed);
  build::BamShape shape;
  shape.seed = seed;
  for (std::uint32_t f = 0; f < kFramesPerBam; ++f) {
    shape.frames.push_back(
        {static_cast<std::uint16_t>(30 + random.Below(40)), static_cast<std::uint16_t>(40 + random.Below(50)), true});
  }
  return build::MakeBam(shape);
}

}  // namespace

int MakeBiffImages(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: trovex-benchdata biff-images OUT BAMS MOSES\n");
    return 2;
  }
  const auto bams = static_cast<std::uint32_t>(std::stoul(args[1]));
  const auto moses = static_cast<std::uint32_t>(std::stoul(args[2]));
  std::vector<build::BiffItem> items;
  for (std::uint32_t i = 0; i < bams + moses; ++i) {
    // The MOS items are spread among the BAMs, as areas lie among creatures.
    const bool mos = moses != 0 && i % ((bams + moses) / moses) == 0 && i / ((bams + moses) / moses) < moses;
    if (mos) {
      items.push_back({kMos, build::CompressItem("MOSCV1  ", build::MakeMos(512, 512, 64, i))});
    } else {
      items.push_back({kBam, build::CompressItem("BAMCV1  ", BenchBam(i))});
    }
  }
  WriteWholeFile(args[0], build::MakeBiff(items));
  return 0;
}

}  // namespace trovex::benchdata

#include "builders/BiffBuilder.hpp"
#include "builders/ImageBuilder.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "sample/Samples.hpp"

namespace trovex::sample {

namespace {

constexpr std::uint16_t kBam = 1000, kMos = 1004;

// Frames of every kind: zero-run and uncompressed, 1 × 1 and 0 × 0, one
// sharing another's data.
build::BamShape CreatureShape(unsigned char runValue, std::uint32_t seed) {
  build::BamShape shape;
  shape.runValue = runValue;
  shape.seed = seed;
  shape.frames = {{48, 64, true, -1, 24, 60},  {50, 62, true, -1, 25, 58}, {1, 1, true}, {0, 0, true},
                 {33, 20, false, -1, 16, 10}, {48, 64, true, 0, 24, 60}};
  return shape;
}

// Images.bif: a compressed BAM whose run value is 129, a plain BAM, a
// compressed MOS and a plain one, both of sizes that are not multiples of
// the 64-pixel tile, between entries of types extraction passes over.
std::string ImagesArchive() {
  return build::MakeBiff({
      {kBam, build::CompressItem("BAMCV1  ", build::MakeBam(CreatureShape(129, 1))), 0},
      {kBam, build::MakeBam(CreatureShape(0, 2)), 1},
      {0x3ED, std::string(300, 'x'), 2},
      {kMos, build::CompressItem("MOSCV1  ", build::MakeMos(300, 200, 64, 3)), 3},
      {kMos, build::MakeMos(150, 100, 64, 4), 4},
  });
}

}  // namespace

// Images.bif, and fonts of 100 and 191 frames.
std::vector<std::string> WriteImageSamples(const std::string& dir) {
  WriteWholeFile(JoinPath(dir, "Images.bif"), ImagesArchive());
  WriteWholeFile(JoinPath(dir, "SMALL.fon"), build::MakeFont(100, 5));
  WriteWholeFile(JoinPath(dir, "NORMAL.fon"), build::MakeFont(191, 6));
  return {"Images.bif", "SMALL.fon", "NORMAL.fon"};
}

}  // namespace trovex::sample

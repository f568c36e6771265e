#include "builders/KeyBuilder.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "sample/Samples.hpp"

namespace trovex::sample {

namespace {

using build::KeyLocator;
using build::KeyResource;

constexpr std::uint16_t kBitmap = 1, kMovie = 2, kSound = 4, kBam = 1000, kMos = 1004;

// Names in Mixed.bif that a file name cannot hold as they are, and one that
// meets an earlier name when letter case is ignored.
std::string MixedName(std::uint32_t i, const std::string& usual) {
  switch (i) {
    case 24:
      return "\xC9T\xC9";
    case 25:
      return "MUS|C25";
    case 26:
      return "PORT.";
    case 27:
      return "CON";
    case 18:
      return "amb12";
    default:
      return usual;
  }
}

// The resources of the sample archives, as trovex-sample writes them: every
// entry named but the last sound of Sounds.bif, which keeps its numbered name.
std::vector<KeyResource> SampleResources() {
  std::vector<KeyResource> resources;
  for (std::uint32_t i = 0; i < 39; ++i) resources.push_back({Format("SPCH%04u", i), kSound, KeyLocator(0, i)});
  // Mixed.bif repeats sounds, waves, a bitmap, a movie and two other types.
  const std::uint16_t otherTypes[] = {0x3EF, 0x3ED, 0x3F0, 0x3F3, 0x3E9};
  for (std::uint32_t i = 0; i < 30; ++i) {
    const std::uint32_t at = KeyLocator(1, i);
    switch (i % 6) {
      case 0:
        resources.push_back({MixedName(i, Format("AMB%02u", i)), kSound, at});
        break;
      case 1:
        resources.push_back({MixedName(i, Format("MUSIC%02u", i)), kSound, at});
        break;
      case 2:
        resources.push_back({MixedName(i, Format("PORT%02u", i)), kBitmap, at});
        break;
      case 3:
        resources.push_back({MixedName(i, Format("INTRO%02u", i)), kMovie, at});
        break;
      default:
        resources.push_back({Format("SCRIPT%02u", i), otherTypes[i % 5], at});
        break;
    }
  }
  for (std::uint32_t i = 0; i < 12; ++i) {
    resources.push_back(i % 3 == 2 ? KeyResource{Format("AR01BM%02u", i), kBitmap, KeyLocator(3, i)}
                                   : KeyResource{Format("AR01SN%02u", i), kSound, KeyLocator(3, i)});
  }
  for (std::uint32_t t = 1; t <= 16; ++t) resources.push_back({Format("AR01T%02u", t), 0x3EB, KeyLocator(3, 0, t)});
  resources.push_back({"GUIMAIN", kBam, KeyLocator(4, 0)});
  resources.push_back({"CREATURE", kBam, KeyLocator(4, 1)});
  resources.push_back({"AREA01", kMos, KeyLocator(4, 3)});
  resources.push_back({"AREA02", kMos, KeyLocator(4, 4)});
  return resources;
}

}  // namespace

// chitin.key, the game's index, naming the sample archives with a mix of
// location flags, and their resources, so that extraction can name its items.
std::vector<std::string> WriteKeySamples(const std::string& dir) {
  const std::vector<build::KeyArchive> archives = {
      {"data\\Sounds.bif", 0x0001, 0}, {"data\\Mixed.bif", 0x0005, 0},  {"data\\Packed.bif", 0x8001, 0},
      {"data\\Area.bif", 0x0001, 0},   {"data\\Images.bif", 0x0001, 0},
  };
  WriteWholeFile(JoinPath(dir, "chitin.key"), build::MakeKey(archives, SampleResources()));
  return {"chitin.key"};
}

}  // namespace trovex::sample

#include "builders/KeyBuilder.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "sample/Samples.hpp"

namespace trovex::sample {

// chitin.key, the game's index, naming the sample archives with a mix of
// location flags and a few resources.
std::vector<std::string> WriteKeySamples(const std::string& dir) {
  const std::vector<build::KeyArchive> archives = {
      {"data\\Sounds.bif", 0x0001, 0},
      {"data\\Mixed.bif", 0x0005, 0},
      {"data\\Packed.bif", 0x8001, 0},
  };
  const std::vector<build::KeyResource> resources = {
      {"AMB01", 4, 0x00000000},
      {"AMB02", 4, 0x00000001},
      {"INTRO", 2, 0x00100003},
      {"PORTRAIT", 1, 0x00200002},
  };
  WriteWholeFile(JoinPath(dir, "chitin.key"), build::MakeKey(archives, resources));
  return {"chitin.key"};
}

}  // namespace trovex::sample

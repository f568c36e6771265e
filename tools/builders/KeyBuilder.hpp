// KEY index files for tests, samples and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovex::build {

struct KeyArchive {
  std::string name;  // as the game names it, e.g. "data\\Sounds.bif"
  std::uint16_t flags = 1;
  std::uint32_t length = 0;  // the archive's file length
};

struct KeyResource {
  std::string resref;  // up to 8 characters
  std::uint16_t type = 0;
  std::uint32_t locator = 0;
};

// A KEY file as the game writes it: "KEY V1  ", the archive and resource
// counts, the two table offsets, the 12-byte archive entries, the names (each
// with its terminating zero, counted in its length), then the 14-byte resource
// entries.
std::string MakeKey(const std::vector<KeyArchive>& archives, const std::vector<KeyResource>& resources = {});

}  // namespace trovex::build

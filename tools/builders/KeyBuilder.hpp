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

// A resource's locator: the archive's place in the archive table (bits
// 20-31), the tile set (bits 14-19) and the file (bits 0-13).
constexpr std::uint32_t KeyLocator(std::uint32_t archive, std::uint32_t file, std::uint32_t tileSet = 0) {
  return (archive << 20) | ((tileSet & 0x3F) << 14) | (file & 0x3FFF);
}

// A KEY file as the game writes it: "KEY V1  ", the archive and resource
// counts, the two table offsets, the 12-byte archive entries, the names (each
// with its terminating zero, counted in its length), then the 14-byte resource
// entries.
std::string MakeKey(const std::vector<KeyArchive>& archives, const std::vector<KeyResource>& resources = {});

// Resource names that a file name cannot hold as they are: each character
// that Linux or Windows refuses, "%", a control character, bytes 0x80-0xFF,
// trailing dots and blanks, every name that Windows reserves for a device,
// and names that differ from them by little.
std::vector<std::string> AwkwardResourceNames();

}  // namespace trovex::build

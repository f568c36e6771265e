// The KEY index's resource table: which resource name each archive entry has.
// A resource's locator packs the archive's place in the archive table (bits
// 20-31), the tile set (bits 14-19) and the file (bits 0-13).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/KeyFormat.hpp"

namespace trovex {

inline constexpr std::uint32_t kKeyResourceTablePointer = 20;  // u32: offset of the resource table
inline constexpr std::uint32_t kKeyResourceEntrySize = 14;
inline constexpr std::size_t kResourceNameSize = 8;

// One 14-byte resource entry.
struct KeyResourceEntry {
  char name[kResourceNameSize];  // +0: NUL-padded, 8-bit text
  std::uint16_t type;            // +8: resource type number
  std::uint32_t locator;         // +10: archive, tile set and file bits
};

inline std::uint32_t LocatorArchive(std::uint32_t locator) { return locator >> 20; }
inline std::uint32_t LocatorTileSet(std::uint32_t locator) { return (locator >> 14) & 0x3F; }
inline std::uint32_t LocatorFile(std::uint32_t locator) { return locator & 0x3FFF; }

// The resource table of an index read by ReadKeyIndex. A table that lies
// outside the file fails with "Invalid KEY index <path>: <fault>".
std::vector<KeyResourceEntry> ReadKeyResources(const KeyIndex& key, const std::string& path);

// The name up to its first NUL, at most 8 bytes.
std::string_view ResourceName(const KeyResourceEntry& entry);

// The archive of the index that an input archive is: the one whose file name
// equals the input's, letter case folded and folders ignored; among several,
// the one whose folders are all the input's last folders (the most of them,
// when that holds for more than one).
struct KeyArchiveMatch {
  enum class Outcome { Found, Missing, Ambiguous } outcome = Outcome::Missing;
  std::size_t archive = 0;              // when found
  std::vector<std::string> candidates;  // when ambiguous: the names as the index gives them
};
KeyArchiveMatch FindKeyArchive(const KeyIndex& key, const std::string& archivePath);

// The names that the index gives the entries of one of its archives. File
// entries are found by the file bits of their own locator, tile entries by
// the tile-set bits, and the type must agree; the index's first resource
// wins where a broken index names one entry twice.
class TArchiveNames {
 public:
  TArchiveNames() = default;
  TArchiveNames(const std::vector<KeyResourceEntry>& resources, std::size_t archive);
  // Empty when the index does not name the entry.
  std::string_view FileName(std::uint32_t locator, std::uint16_t type) const;
  std::string_view TileSetName(std::uint32_t locator, std::uint16_t type) const;

 private:
  static std::uint64_t Key(bool tile, std::uint32_t bits, std::uint16_t type) {
    return (std::uint64_t{tile} << 48) | (std::uint64_t{bits} << 16) | type;
  }
  std::string_view Find(std::uint64_t key) const;
  std::unordered_map<std::uint64_t, std::string> names_;
};

// The resource name as a file name that both Linux and Windows can hold, and
// that no other name gives: "%XX" stands for a character that a file name
// cannot hold (\ / : * ? " < > |, controls, bytes 0x80-0xFF), for "%" itself,
// for trailing dots and blanks and for the first letter of a name that
// Windows reserves for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9).
std::string EscapedResourceName(std::string_view name);

}  // namespace trovex

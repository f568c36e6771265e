// The KEY index as far as the program reads it: the header, the archive table
// and the archive names. All integers are little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Stream.hpp"

namespace trovex {

inline constexpr std::uint32_t kKeyHeaderSize = 20;
inline constexpr std::uint32_t kKeyArchiveEntrySize = 12;
inline constexpr std::size_t kFlagsTextLength = 16;

// The first 20 bytes of a KEY file.
struct KeyHeader {
  char signature[8];                 // 0: not read
  std::uint32_t archiveCount;        // 8: number of archive entries
  std::uint32_t resourceCount;       // 12: not read
  std::uint32_t archiveTableOffset;  // 16: offset of the first archive entry
};

// One 12-byte archive entry.
struct KeyArchiveEntry {
  std::uint32_t archiveLength;  // +0: not used; written back unchanged
  std::uint32_t nameOffset;     // +4: absolute offset of the name
  std::uint16_t nameLength;     // +8: bytes reserved for the name
  std::uint16_t flags;          // +10: location flags
};

// A KEY file read whole and checked: its bytes and its archive table. Names
// stay in the bytes, so that a table whose names overlap costs no more memory
// than the file.
struct KeyIndex {
  std::vector<unsigned char> bytes;
  KeyHeader header;
  std::vector<KeyArchiveEntry> entries;
};

// Reads the stream from its start. A header, archive table or name that lies
// outside the file fails with "Invalid KEY index <path>: <fault>".
KeyIndex ReadKeyIndex(TStream& stream, const std::string& path);

// Archive i's name: its name bytes up to the first zero (all of them when
// there is none).
std::string_view ArchiveName(const KeyIndex& key, std::size_t i);
// The file offset of archive entry i's location flags.
std::uint64_t FlagsOffset(const KeyIndex& key, std::size_t i);

// Flags 0x0005 read "1010000000000000": bit 0 first.
std::string FlagsText(std::uint16_t flags);
// Bit k is set exactly when character k is "1".
std::uint16_t FlagsOfText(std::string_view text);

}  // namespace trovex

// Reading a font whole and checking it, for extraction and insertion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Stream.hpp"
#include "imaging/BamFormat.hpp"

namespace trovex {

// The whole file; fonts past 2 GiB cannot be addressed by their offsets.
std::vector<unsigned char> ReadFontFile(const std::string& path);
std::vector<unsigned char> ReadFontStream(TStream& stream, const std::string& path);
// The BAM layout of a font, with at least one frame; a damaged font fails
// with "Invalid font <path>: <what>".
BamLayout ReadFontLayout(const std::vector<unsigned char>& font, const std::string& path);
EFormatError InvalidFont(const std::string& path, const std::string& what);

// Fonts that insertion extends from 191 frames to 255.
inline constexpr std::uint16_t kShippedFrames = 191;
inline constexpr std::uint16_t kExtendedFrames = 255;
inline constexpr std::size_t kFirstReplacedEntry = 192;  // of the frame lookup table
inline constexpr std::size_t kLookupEntries = 256;

// How many entries the font's frame lookup table holds: the largest first
// index + count of its cycle table, which follows the frame table. A cycle
// table beyond the end fails with EFormatError.
std::uint32_t LookupEntryCount(const std::vector<unsigned char>& font, const BamLayout& layout);
// Lookup table entry i; the entry lies inside the font.
std::uint16_t LookupEntry(const std::vector<unsigned char>& font, const BamLayout& layout, std::size_t i);
// True when the font is one that insertion extended: 255 frames, of which
// 191 to 254 are uncompressed, back to back behind every other frame's data
// and the tables, up to the end of the file, and named by lookup entries
// 192 to 255.
bool ExtendedByInsertion(const std::vector<unsigned char>& font, const BamLayout& layout);

}  // namespace trovex

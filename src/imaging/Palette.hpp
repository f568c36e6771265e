// Palette reshaping and building, shared by the frame, tile and font conversions.
// Stored palette entries are 4 bytes; frame images and fonts hold red, green,
// blue in that order, tiled images blue, green, red.
#pragma once

#include <cstddef>

#include "framework/Bitmap.hpp"
#include "framework/MemoryStream.hpp"

namespace trovex {

// Replaces the stream's 4-byte entries by 3-byte ones (the fourth byte of
// each dropped, a trailing partial entry too) and returns their count.
int PaletteQuadsToTriples(TMemoryStream& stream);
// Exchanges bytes 0 and 2 of each 4-byte entry in place and clears byte 3.
void SwapRedBlue(unsigned char* block, std::size_t length);
// A colour table of count (at most 256) entries of red, green, blue from the
// stream's 3-byte entries; the entries beyond count are black.
TColorTable PaletteFromTriples(int count, const TMemoryStream& stream);
// The same from 4-byte entries of red, green, blue and a byte not used.
TColorTable PaletteFromEntries(int count, const unsigned char* entries);

}  // namespace trovex

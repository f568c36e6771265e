// Palette reshaping and building, shared by the frame, tile and font conversions.
// Stored palette entries are 4 bytes; frame images and fonts hold red, green,
// blue in that order, tiled images blue, green, red.
#pragma once

#include <cstddef>
#include <unordered_map>

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

// Turns the colours of an edited picture back into indices of a colour
// table. A pixel that shows the colour of the index it held keeps that index,
// so entries that repeat a colour (black at 0 and at 1, say) stay apart; any
// other pixel takes the nearest entry, the lowest index on a tie.
class TColorMapper {
 public:
  explicit TColorMapper(const TColorTable& table) : table_(table) {}
  // held: the index the pixel held, or -1 where it held none.
  unsigned char IndexOf(TColor color, int held);

 private:
  TColorTable table_;
  std::unordered_map<TColor, unsigned char> nearest_;
};

}  // namespace trovex

// An edited glyph sheet as insertion reads it: a BMP file, cut into glyph
// boxes that lie inside the sheet or are empty; a sheet that insertion takes
// gives 64 glyphs whose pixels fill their frames.
#include "GlyphCheck.hpp"
#include "framework/BitmapFile.hpp"
#include "imaging/FontGlyphs.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TBitmap sheet;
  try {
    sheet = DecodeBitmap(data, size);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::RequireBoxesInside(sheet);
  const std::vector<GlyphBox> boxes = ScanGlyphBoxes(sheet);
  if (GlyphSheetFault(sheet, boxes)) return 0;
  for (const GlyphFrame& glyph : CutGlyphs(sheet, boxes)) {
    fuzz::Require(glyph.width >= 2 && glyph.height >= 1, "a glyph holds ink and a column beside it");
    fuzz::Require(glyph.pixels.size() == std::size_t{glyph.width} * glyph.height, "a glyph's pixels fill its frame");
  }
  return 0;
}

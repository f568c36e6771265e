// An edited glyph sheet as insertion reads it: a BMP file, cut into glyph
// boxes that lie inside the sheet or are empty.
#include "GlyphCheck.hpp"
#include "framework/BitmapFile.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TBitmap sheet;
  try {
    sheet = DecodeBitmap(data, size);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::RequireBoxesInside(sheet);
  return 0;
}

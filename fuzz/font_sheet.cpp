// A font drawn into its glyph sheet: the font reads or fails with a format
// error, and the sheet of one that reads cuts into glyph boxes that lie
// inside it or are empty.
#include "GlyphCheck.hpp"
#include "framework/Errors.hpp"
#include "imaging/Font.hpp"

using namespace trovex;

// Sheets of any size take the same paths; the largest a small input can ask
// for (millions of pixels) would cut the target's speed tenfold.
constexpr std::uint64_t kMostFuzzSheetPixels = 1 << 18;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> font(data, data + size);
  BamLayout layout;
  TBitmap sheet;
  try {
    layout = ReadBamLayout(font.data(), font.size());
    const GlyphSheetSize size = MeasureGlyphSheet(layout);
    if (size.width * size.height > kMostFuzzSheetPixels) return 0;
    sheet = DrawGlyphSheet(font, layout);
  } catch (const EFormatError&) {
    return 0;
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::RequireBoxesInside(sheet);
  return 0;
}

// A font drawn into its glyph sheet and checked for insertion: the font reads
// or fails with a format error; the sheet of one that reads cuts into glyph
// boxes that lie inside it or are empty; the checks that insertion makes of
// the font (its lookup table's length, whether an insertion extended it,
// whether it holds the sheet's glyphs already) read only inside it.
#include "GlyphCheck.hpp"
#include "framework/Errors.hpp"
#include "imaging/Font.hpp"
#include "imaging/FontFile.hpp"
#include "imaging/FontGlyphs.hpp"

using namespace trovex;

// Sheets of any size take the same paths; the largest a small input can ask
// for (millions of pixels) would cut the target's speed tenfold.
constexpr std::uint64_t kMostFuzzSheetPixels = 1 << 18;

namespace {

void CheckInsertion(const std::vector<unsigned char>& font, const BamLayout& layout, TBitmap& sheet) {
  if (LookupEntryCount(font, layout) < kLookupEntries) return;
  if (std::uint64_t{layout.lookupOffset} + 2 * kLookupEntries > font.size()) return;
  if (ExtendedByInsertion(font, layout)) {
    fuzz::Require(layout.frames[kShippedFrames].dataOffset <= font.size(), "added glyphs start inside the font");
  }
  sheet.SetFileFormat(8, 256);  // as if saved and read back unedited
  const std::vector<GlyphBox> boxes = ScanGlyphBoxes(sheet);
  if (GlyphSheetFault(sheet, boxes)) return;
  const std::vector<GlyphFrame> glyphs = CutGlyphs(sheet, boxes);
  fuzz::Require(glyphs.size() == kNewGlyphs, "64 glyphs");
  for (const GlyphFrame& glyph : glyphs) {
    fuzz::Require(glyph.pixels.size() == std::size_t{glyph.width} * glyph.height, "a glyph's pixels fill its frame");
  }
  HoldsGlyphs(font, layout, glyphs);
}

}  // namespace

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
  if (layout.frameCount == 0 || layout.frameTableOffset != kBamHeaderSize) return 0;
  try {
    CheckInsertion(font, layout, sheet);
  } catch (const EFormatError&) {
  }
  return 0;
}

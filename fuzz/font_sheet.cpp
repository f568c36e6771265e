// A font drawn into its glyph sheet: the font reads or fails with a format
// error, and the sheet of one that reads cuts into glyph boxes that lie
// inside it or are empty.
#include "GlyphCheck.hpp"
#include "framework/Errors.hpp"
#include "imaging/Font.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> font(data, data + size);
  BamLayout layout;
  TBitmap sheet;
  try {
    layout = ReadBamLayout(font.data(), font.size());
    sheet = DrawGlyphSheet(font, layout);
  } catch (const EFormatError&) {
    return 0;
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::RequireBoxesInside(sheet);
  return 0;
}

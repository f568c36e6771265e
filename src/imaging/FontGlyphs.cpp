#include "imaging/FontGlyphs.hpp"

#include <algorithm>

#include "imaging/FontFile.hpp"

namespace trovex {

namespace {

constexpr std::uint32_t kBitsOfIndexedSheet = 8;

std::uint64_t GlyphWidth(const GlyphBox& box) { return std::uint64_t(std::int64_t{box.right} - box.left + 2); }
std::uint64_t GlyphHeight(const GlyphBox& box) { return std::uint64_t(std::int64_t{box.bottom} - box.top + 1); }

}  // namespace

std::optional<std::string> GlyphSheetFault(const TBitmap& sheet, const std::vector<GlyphBox>& boxes) {
  // A sheet saved with fewer bits holds indices of its own small table, not
  // of the font's palette.
  if (sheet.Format() != PixelFormat::pf8bit || sheet.FileBitsPerPixel() != kBitsOfIndexedSheet) {
    return "the glyph sheet is not an 8-bit palette bitmap";
  }
  if (boxes.size() < kNewGlyphs) return Format("the glyph sheet holds %zu glyph bands, 64 are needed", boxes.size());
  for (std::size_t k = 0; k < kNewGlyphs; ++k) {
    const GlyphBox& box = boxes[k];
    if (box.left > box.right || box.top > box.bottom) return Format("band %zu of the glyph sheet holds no glyph pixels", k + 1);
    if (GlyphWidth(box) > UINT16_MAX || GlyphHeight(box) > UINT16_MAX) {
      return Format("band %zu of the glyph sheet holds a glyph of %llu x %llu pixels, larger than a frame can be", k + 1,
                    static_cast<unsigned long long>(GlyphWidth(box)), static_cast<unsigned long long>(GlyphHeight(box)));
    }
  }
  return std::nullopt;
}

std::vector<GlyphFrame> CutGlyphs(const TBitmap& sheet, const std::vector<GlyphBox>& boxes) {
  const unsigned char background = sheet.Width() > 1 ? sheet.Row(0)[1] : 0;
  std::vector<GlyphFrame> glyphs;
  for (std::size_t k = 0; k < kNewGlyphs; ++k) {
    const GlyphBox& box = boxes[k];
    const auto width = static_cast<std::uint16_t>(GlyphWidth(box));
    const auto height = static_cast<std::uint16_t>(GlyphHeight(box));
    GlyphFrame glyph{width, height, static_cast<std::uint16_t>((width + 1) / 2 * 2),
                     static_cast<std::uint16_t>(box.baseline), {}};
    glyph.pixels.reserve(std::size_t{width} * height);
    const auto left = static_cast<std::uint32_t>(box.left);
    const std::uint32_t inside = std::min<std::uint32_t>(left + width, sheet.Width());
    for (std::uint16_t r = 0; r < height; ++r) {
      const unsigned char* row = sheet.Row(static_cast<std::uint32_t>(box.top) + r);
      glyph.pixels.insert(glyph.pixels.end(), row + left, row + inside);
      glyph.pixels.resize(glyph.pixels.size() + (left + width - inside), background);
    }
    glyphs.push_back(std::move(glyph));
  }
  return glyphs;
}

bool HoldsGlyphs(const std::vector<unsigned char>& font, const BamLayout& layout,
                 const std::vector<GlyphFrame>& glyphs) {
  if (layout.frameCount < kNewGlyphs || std::uint64_t{layout.lookupOffset} + 2 * kLookupEntries > font.size()) {
    return false;
  }
  const std::size_t first = layout.frameCount - kNewGlyphs;
  for (std::size_t k = 0; k < kNewGlyphs; ++k) {
    const BamFrame& frame = layout.frames[first + k];
    const GlyphFrame& glyph = glyphs[k];
    if (!frame.uncompressed || frame.width != glyph.width || frame.height != glyph.height ||
        frame.centreX != glyph.centreX || frame.centreY != glyph.centreY ||
        LookupEntry(font, layout, kFirstReplacedEntry + k) != first + k) {
      return false;
    }
    // The layout has checked that an uncompressed frame's pixels lie inside.
    const unsigned char* stored = font.data() + frame.dataOffset;
    if (!std::equal(glyph.pixels.begin(), glyph.pixels.end(), stored)) return false;
  }
  return true;
}

}  // namespace trovex

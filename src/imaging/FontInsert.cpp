#include <optional>

#include "framework/BitmapFile.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "imaging/Font.hpp"
#include "imaging/FontFile.hpp"
#include "imaging/FontGlyphs.hpp"
#include "imaging/GlyphBoxes.hpp"

namespace trovex {

namespace {

constexpr std::size_t kTableGrowth = kNewGlyphs * kBamFrameEntrySize;
constexpr std::string_view kTargetPrefix = "#Target: ";

// The font's bytes with room for 64 more frame entries behind its frame table,
// every offset behind the table moved along, and lookup entries 192 to 255
// naming the new frames. Returns the first new frame.
std::uint16_t ExtendFont(std::vector<unsigned char>& font, const BamLayout& layout, const std::string& path) {
  const std::uint16_t n = layout.frameCount;
  if (n > UINT16_MAX - kNewGlyphs) throw InvalidFont(path, "it has too many frames to take 64 more");
  const std::size_t tableEnd = kBamHeaderSize + std::size_t{n} * kBamFrameEntrySize;
  if (layout.paletteOffset < tableEnd || layout.lookupOffset < tableEnd) {
    throw InvalidFont(path, "its palette or frame lookup table lies inside its frame table");
  }
  if (font.size() + kTableGrowth > ~kUncompressedFlag) throw InvalidFont(path, "it would exceed 2 GiB");
  font.insert(font.begin() + static_cast<std::ptrdiff_t>(tableEnd), kTableGrowth, 0);
  StoreU16(font.data() + 8, static_cast<std::uint16_t>(n + kNewGlyphs));
  StoreU32(font.data() + 16, static_cast<std::uint32_t>(layout.paletteOffset + kTableGrowth));
  const std::uint32_t lookup = static_cast<std::uint32_t>(layout.lookupOffset + kTableGrowth);
  StoreU32(font.data() + 20, lookup);
  for (std::size_t j = 0; j < n; ++j) {
    BamFrame frame = layout.frames[j];
    frame.dataOffset += kTableGrowth;
    StoreBamFrame(font.data(), layout, j, frame);
  }
  for (std::size_t k = 0; k < kNewGlyphs; ++k) {
    StoreU16(font.data() + lookup + 2 * (kFirstReplacedEntry + k), static_cast<std::uint16_t>(n + k));
  }
  return n;
}

// An extended font loses the glyph data that the earlier insertion appended,
// from frame 191's data on; its lookup table stays. Returns 191.
std::uint16_t CutExtendedFont(std::vector<unsigned char>& font, const BamLayout& layout) {
  font.resize(layout.frames[kShippedFrames].dataOffset);
  return kShippedFrames;
}

void AppendGlyph(std::vector<unsigned char>& font, const BamLayout& layout, std::size_t frameIndex,
                 const GlyphFrame& glyph) {
  if (font.size() + glyph.pixels.size() > ~kUncompressedFlag) throw EFormatError("font would exceed 2 GiB");
  const BamFrame frame{glyph.width, glyph.height, 0, 0, static_cast<std::uint32_t>(font.size()), true};
  font.insert(font.end(), glyph.pixels.begin(), glyph.pixels.end());
  StoreBamFrame(font.data(), layout, frameIndex, frame);
  unsigned char* entry = font.data() + kBamHeaderSize + frameIndex * kBamFrameEntrySize;
  StoreU16(entry + 4, glyph.centreX);
  StoreU16(entry + 6, glyph.centreY);
}

// The font's new bytes with the glyphs as its new frames.
std::vector<unsigned char> AddGlyphs(std::vector<unsigned char> font, const BamLayout& layout,
                                     const std::vector<GlyphFrame>& glyphs, const std::string& path) {
  const bool extended = layout.frameCount == kExtendedFrames;
  const std::uint16_t first = extended ? CutExtendedFont(font, layout) : ExtendFont(font, layout, path);
  for (std::size_t k = 0; k < kNewGlyphs; ++k) AppendGlyph(font, layout, first + k, glyphs[k]);
  return font;
}

// Why the font cannot take glyphs (for the results pane), or nothing when it
// can. A damaged font fails with InvalidFont.
std::optional<std::string> FontRefusal(const std::vector<unsigned char>& font, const BamLayout& layout,
                                       const std::string& path) {
  if (layout.frameTableOffset != kBamHeaderSize) throw InvalidFont(path, "its frame table does not start at offset 24");
  std::uint32_t entries = 0;
  try {
    entries = LookupEntryCount(font, layout);
  } catch (const EFormatError& error) {
    throw InvalidFont(path, error.what());
  }
  // Whatever follows a shorter table (frame data, the palette) would be
  // overwritten by entries 192 to 255.
  if (entries < kLookupEntries) return Format("its lookup table holds %u entries, 256 are needed", entries);
  if (std::uint64_t{layout.lookupOffset} + 2 * kLookupEntries > font.size()) {
    throw InvalidFont(path, "its frame lookup table lies beyond its end");
  }
  if (layout.frameCount == kExtendedFrames && !ExtendedByInsertion(font, layout)) {
    return "it has 255 frames of its own, not 191 and 64 added glyphs";
  }
  return std::nullopt;
}

bool SameSheet(const TBitmap& a, const TBitmap& b) {
  return a.Format() == b.Format() && a.Width() == b.Width() && a.Height() == b.Height() && a.Pixels() == b.Pixels();
}

}  // namespace

std::size_t InsertFont(RunState& run, const std::string& /*targetPath*/, std::size_t startIndex) {
  if (startIndex >= run.ReplayLines.Count()) return startIndex;
  const std::string& line = run.ReplayLines.Get(startIndex);
  if (line.compare(0, kTargetPrefix.size(), kTargetPrefix) != 0) return startIndex;
  const std::string sheetPath = line.substr(kTargetPrefix.size());
  const std::size_t next = startIndex + 1;
  if (!IsRegularFile(sheetPath) || !run.SourceArchive) return next;

  const std::string& fontPath = run.SourcePath;
  const std::string fontName = FileNamePart(fontPath);
  const std::vector<unsigned char> font = ReadFontStream(*run.SourceArchive, fontPath);
  const BamLayout layout = ReadFontLayout(font, fontPath);
  const TBitmap sheet = LoadBitmapFile(sheetPath);
  if (SameSheet(sheet, DrawGlyphSheet(font, layout))) {
    run.Result(fontName + ": glyph sheet unchanged; nothing inserted.");
    return next;
  }
  if (const auto refusal = FontRefusal(font, layout, fontPath)) {
    run.Result(fontName + ": " + *refusal + "; nothing inserted.");
    return next;
  }
  const std::vector<GlyphBox> boxes = ScanGlyphBoxes(sheet);
  if (const auto fault = GlyphSheetFault(sheet, boxes)) {
    run.Result(fontName + " not changed: " + *fault + " (" + sheetPath + ").");
    return next;
  }
  const std::vector<GlyphFrame> glyphs = CutGlyphs(sheet, boxes);
  // Replaying a job log again must not add the same glyphs once more.
  if (HoldsGlyphs(font, layout, glyphs)) {
    run.Result(fontName + ": glyph sheet already inserted; nothing inserted.");
    return next;
  }
  const std::vector<unsigned char> changed = AddGlyphs(font, layout, glyphs, fontPath);
  TSafeOutput out(fontPath, OutputKind::Replacement);
  out.WriteBuffer(changed.data(), changed.size());
  // Windows replaces no file that is open; the font is already in memory.
  run.SourceArchive.reset();
  out.Commit();
  return next;
}

}  // namespace trovex

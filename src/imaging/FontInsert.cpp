#include <algorithm>
#include <optional>

#include "framework/BitmapFile.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "imaging/Font.hpp"
#include "imaging/FontFile.hpp"
#include "imaging/GlyphBoxes.hpp"

namespace trovex {

namespace {

constexpr std::size_t kNewGlyphs = 64;
constexpr std::size_t kFirstReplacedEntry = 192;  // of the frame lookup table
constexpr std::size_t kLookupEntries = 256;
constexpr std::uint16_t kShippedFrames = 191;
constexpr std::uint16_t kExtendedFrames = kShippedFrames + kNewGlyphs;
constexpr std::size_t kTableGrowth = kNewGlyphs * kBamFrameEntrySize;
constexpr std::string_view kTargetPrefix = "#Target: ";

// A sheet that cannot give 64 glyphs: why, for the Results line.
std::optional<std::string> SheetFault(const TBitmap& sheet, const std::vector<GlyphBox>& boxes) {
  if (sheet.Format() != PixelFormat::pf8bit) return "the glyph sheet is not an 8-bit palette bitmap";
  if (boxes.size() < kNewGlyphs) return Format("the glyph sheet holds %zu glyph bands, 64 are needed", boxes.size());
  for (std::size_t k = 0; k < kNewGlyphs; ++k) {
    if (boxes[k].left > boxes[k].right || boxes[k].top > boxes[k].bottom) {
      return Format("band %zu of the glyph sheet holds no glyph pixels", k + 1);
    }
  }
  if (sheet.Width() > UINT16_MAX || sheet.Height() > UINT16_MAX) return "the glyph sheet is larger than a frame can be";
  return std::nullopt;
}

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
std::uint16_t CutExtendedFont(std::vector<unsigned char>& font, const BamLayout& layout, const std::string& path) {
  const std::uint32_t cut = layout.frames[kShippedFrames].dataOffset;
  for (std::size_t j = 0; j < kShippedFrames; ++j) {
    const BamFrame& frame = layout.frames[j];
    if (frame.width != 0 && frame.height != 0 && frame.dataOffset >= cut) {
      throw InvalidFont(path, Format("frame %zu's data lie behind the added glyphs", j));
    }
  }
  if (cut < layout.lookupOffset + 2 * kLookupEntries || cut > font.size()) {
    throw InvalidFont(path, "its added glyphs do not start behind its tables");
  }
  font.resize(cut);
  return kShippedFrames;
}

// Glyph k's frame: its box and one column to the right (background where
// that column lies outside the sheet), the baseline as centre y.
void AppendGlyph(std::vector<unsigned char>& font, const BamLayout& layout, std::size_t frameIndex,
                 const TBitmap& sheet, const GlyphBox& box) {
  const auto width = static_cast<std::uint16_t>(box.right - box.left + 2);
  const auto height = static_cast<std::uint16_t>(box.bottom - box.top + 1);
  const unsigned char background = sheet.Width() > 1 ? sheet.Row(0)[1] : 0;
  if (font.size() + std::size_t{width} * height > ~kUncompressedFlag) throw EFormatError("font would exceed 2 GiB");
  const BamFrame frame{width, height, 0, 0, static_cast<std::uint32_t>(font.size()), true};
  for (std::uint16_t r = 0; r < height; ++r) {
    const unsigned char* row = sheet.Row(static_cast<std::uint32_t>(box.top) + r);
    for (std::uint32_t x = static_cast<std::uint32_t>(box.left); x < static_cast<std::uint32_t>(box.left) + width;
         ++x) {
      font.push_back(x < sheet.Width() ? row[x] : background);
    }
  }
  StoreBamFrame(font.data(), layout, frameIndex, frame);
  unsigned char* entry = font.data() + kBamHeaderSize + frameIndex * kBamFrameEntrySize;
  StoreU16(entry + 4, static_cast<std::uint16_t>((width + 1) / 2 * 2));
  StoreU16(entry + 6, static_cast<std::uint16_t>(box.baseline));
}

// The font's new bytes with the sheet's first 64 glyphs as its new frames.
std::vector<unsigned char> AddGlyphs(std::vector<unsigned char> font, const BamLayout& layout, const TBitmap& sheet,
                                     const std::vector<GlyphBox>& boxes, const std::string& path) {
  const bool extended = layout.frameCount == kExtendedFrames;
  const std::uint16_t first = extended ? CutExtendedFont(font, layout, path) : ExtendFont(font, layout, path);
  for (std::size_t k = 0; k < kNewGlyphs; ++k) AppendGlyph(font, layout, first + k, sheet, boxes[k]);
  return font;
}

void CheckInsertable(const std::vector<unsigned char>& font, const BamLayout& layout, const std::string& path) {
  if (layout.frameTableOffset != kBamHeaderSize) throw InvalidFont(path, "its frame table does not start at offset 24");
  if (std::uint64_t{layout.lookupOffset} + 2 * kLookupEntries > font.size()) {
    throw InvalidFont(path, "its frame lookup table holds fewer than 256 entries");
  }
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
  CheckInsertable(font, layout, fontPath);
  const TBitmap sheet = LoadBitmapFile(sheetPath);
  if (SameSheet(sheet, DrawGlyphSheet(font, layout))) {
    run.Result(fontName + ": glyph sheet unchanged; nothing inserted.");
    return next;
  }
  const std::vector<GlyphBox> boxes = ScanGlyphBoxes(sheet);
  if (const auto fault = SheetFault(sheet, boxes)) {
    run.Result(fontName + " not changed: " + *fault + " (" + sheetPath + ").");
    return next;
  }
  const std::vector<unsigned char> changed = AddGlyphs(font, layout, sheet, boxes, fontPath);
  TSafeOutput out(fontPath, OutputKind::Replacement);
  out.WriteBuffer(changed.data(), changed.size());
  // Windows replaces no file that is open; the font is already in memory.
  run.SourceArchive.reset();
  out.Commit();
  return next;
}

}  // namespace trovex

#include <algorithm>

#include "framework/BitmapFile.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "imaging/Font.hpp"
#include "imaging/FontFile.hpp"

namespace trovex {

namespace {

// A glyph sheet is the font's pixels spread out with margins; one far bigger
// than the font file comes from sizes that lie.
constexpr std::uint64_t kMostSheetPixelsPerByte = 4096;

}  // namespace

GlyphSheetSize MeasureGlyphSheet(const BamLayout& layout) {
  std::uint32_t widest = 0;
  std::uint32_t tallest = 0;
  for (const BamFrame& frame : layout.frames) {
    widest = std::max<std::uint32_t>(widest, frame.width);
    tallest = std::max<std::uint32_t>(tallest, frame.height);
  }
  return {widest + 30, tallest + 1, std::uint64_t{tallest + 1} * layout.frameCount};
}

TBitmap DrawGlyphSheet(const std::vector<unsigned char>& font, const BamLayout& layout,
                       const std::function<void(std::size_t frame)>& frameDone) {
  const GlyphSheetSize size = MeasureGlyphSheet(layout);
  const std::uint32_t band = size.band;
  const std::uint64_t height = size.height;
  if (size.width * height > kMostSheetPixelsPerByte * font.size() || height > UINT32_MAX) {
    throw EFormatError("its glyph sheet would be larger than the font can fill");
  }
  TBitmap sheet(PixelFormat::pf8bit, size.width, static_cast<std::uint32_t>(height));
  sheet.Palette() = layout.palette;
  // Colours land on stored entries only: the game has no colour for the
  // others, and the background ends up in the glyphs that insertion adds.
  // The separators, in the marker column that no glyph takes, must be black
  // itself; a short palette without black has it among the entries beyond.
  const auto nearest = [&layout](TColor colour) {
    return static_cast<unsigned char>(NearestColorIndex(layout.palette, colour, layout.paletteCount));
  };
  const unsigned char background = nearest(MakeColor(0, 0, 0));
  const auto separator = static_cast<unsigned char>(NearestColorIndex(layout.palette, MakeColor(0, 0, 0)));
  const unsigned char white = nearest(MakeColor(255, 255, 255));
  const unsigned char grey = nearest(MakeColor(128, 128, 128));
  std::fill(sheet.Pixels().begin(), sheet.Pixels().end(), background);
  for (std::size_t f = 0; f < layout.frames.size(); ++f) {
    const BamFrame& frame = layout.frames[f];
    const std::uint32_t top = static_cast<std::uint32_t>(f) * band;
    const std::uint32_t v = (band - 1 - frame.height) / 2;
    const DecodedFrame decoded = DecodeBamFrame(font.data(), font.size(), layout, frame);
    for (std::uint32_t y = top; y + 1 < top + band; ++y) sheet.Row(y)[0] = white;
    sheet.Row(top + band - 1)[0] = separator;
    for (std::uint32_t r = 0; r < frame.height; ++r) {
      const unsigned char* pixels = decoded.pixels.data() + std::size_t{r} * frame.width;
      std::copy(pixels, pixels + frame.width, sheet.Row(top + v + r) + 1);
    }
    const std::uint64_t baseline = std::uint64_t{top} + v + frame.centreY;
    if (baseline < sheet.Height()) {
      unsigned char* row = sheet.Row(static_cast<std::uint32_t>(baseline));
      std::fill(row, row + sheet.Width(), grey);
    }
    if (frameDone) frameDone(f);
  }
  return sheet;
}

void ExtractFont(RunState& run, const std::string& path) {
  const std::vector<unsigned char> font = ReadFontFile(path);
  const BamLayout layout = ReadFontLayout(font, path);
  const std::string name = FileNamePart(path);
  const std::string output = run.OutputPath(ChangeFileExt(name, ".bmp"));
  if (!run.ClaimOutputs(path, {{output}, {}})) return;
  run.Message("Processing " + name + "...");
  run.StartProgress();
  run.Pump();
  const std::size_t last = layout.frames.size() - 1;
  const TBitmap sheet = DrawGlyphSheet(font, layout, [&](std::size_t f) {
    run.SetProgress(last == 0 ? 100 : static_cast<int>(f * 100 / last));
    run.Pump();
  });
  SaveBitmapFile(sheet, output);
  run.JobLog.Add("#Target: " + output);
  run.Result(name + " processed.");
  run.Pump();
}

}  // namespace trovex

#include "builders/FontBuilder.hpp"

#include <algorithm>

#include "builders/Bytes.hpp"
#include "builders/ImageBuilder.hpp"

namespace trovex::build {

namespace {

constexpr std::uint32_t kHeaderSize = 24;
constexpr std::uint32_t kFrameEntrySize = 12;

BamShape FrameShapes(const FontShape& font) {
  BamShape shape;
  shape.seed = font.seed;
  Random random(font.seed);
  const auto lowest = static_cast<std::uint16_t>(std::max(font.tallest, std::uint16_t{10}) - 9);
  for (std::uint16_t f = 0; f < font.frameCount; ++f) {
    const auto width = static_cast<std::uint16_t>(3 + random.Below(10));
    const auto height = static_cast<std::uint16_t>(lowest + random.Below(10));
    shape.frames.push_back(
        {width, height, f % 7 != 3, -1, static_cast<std::uint16_t>(width + 1), static_cast<std::uint16_t>(height - 2)});
  }
  return shape;
}

// The frame's pixels with every value other than the run value (0) folded
// into the stored palette entries 1 and up.
std::string PixelsInPalette(const BamShape& shape, std::size_t frame, std::uint32_t colours) {
  std::string pixels = FramePixels(shape, frame);
  if (colours >= 256) return pixels;
  for (char& pixel : pixels) {
    const auto value = static_cast<unsigned char>(pixel);
    if (value != 0) pixel = static_cast<char>(colours > 1 ? 1 + (value - 1) % (colours - 1) : 0);
  }
  return pixels;
}

std::string Palette(const FontShape& font) {
  std::vector<std::uint32_t> colours = BamPaletteColors(font.seed);
  if (font.paletteColours >= 256) {
    colours[1] = 0x000000;
    colours[2] = 0xFFFFFF;
    colours[3] = 0x808080;
  }
  colours.resize(std::min<std::size_t>(font.paletteColours, 256));
  std::string out;
  for (std::uint32_t rgb : colours) {
    out.push_back(static_cast<char>(rgb >> 16));
    out.push_back(static_cast<char>(rgb >> 8));
    out.push_back(static_cast<char>(rgb));
    out.push_back('\0');
  }
  return out;
}

}  // namespace

std::string MakeFontOf(const FontShape& font) {
  const BamShape shape = FrameShapes(font);
  const std::uint32_t count = font.frameCount;
  std::uint32_t lookupEntries = 0;
  for (const FontCycle& cycle : font.cycles) lookupEntries = std::max<std::uint32_t>(lookupEntries, cycle.first + cycle.count);
  std::string lookup;
  for (std::uint32_t i = 0; i < lookupEntries; ++i) PutU16(lookup, static_cast<std::uint16_t>(count ? i % count : 0));
  const std::string palette = Palette(font);

  const std::uint32_t tablesStart = kHeaderSize + kFrameEntrySize * count + 4 * static_cast<std::uint32_t>(font.cycles.size());
  const std::uint32_t paletteOffset = tablesStart + (font.paletteBehindLookup ? static_cast<std::uint32_t>(lookup.size()) : 0);
  const std::uint32_t lookupOffset = tablesStart + (font.paletteBehindLookup ? 0 : static_cast<std::uint32_t>(palette.size()));
  const std::uint32_t dataStart = tablesStart + static_cast<std::uint32_t>(palette.size() + lookup.size());

  std::string table;
  std::string data;
  for (std::size_t f = 0; f < count; ++f) {
    const FrameShape& frame = shape.frames[f];
    const std::string pixels = PixelsInPalette(shape, f, font.paletteColours);
    PutU16(table, frame.width);
    PutU16(table, frame.height);
    PutU16(table, frame.centreX);
    PutU16(table, frame.centreY);
    PutU32(table, (dataStart + static_cast<std::uint32_t>(data.size())) | (frame.compressed ? 0 : 0x80000000u));
    data += frame.compressed ? PackZeroRuns(pixels, 0) : pixels;
  }
  std::string out = "BAM V1  ";
  PutU16(out, static_cast<std::uint16_t>(count));
  out.push_back(static_cast<char>(font.cycles.size()));
  out.push_back('\0');  // zero runs repeat 0
  PutU32(out, kHeaderSize);
  PutU32(out, paletteOffset);
  PutU32(out, lookupOffset);
  out += table;
  for (const FontCycle& cycle : font.cycles) {
    PutU16(out, cycle.count);
    PutU16(out, cycle.first);
  }
  out += font.paletteBehindLookup ? lookup + palette : palette + lookup;
  return out + data;
}

std::string MakeFont(std::uint16_t frameCount, std::uint32_t seed) {
  FontShape shape;
  shape.frameCount = frameCount;
  shape.seed = seed;
  return MakeFontOf(shape);
}

}  // namespace trovex::build

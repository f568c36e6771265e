#include "builders/ImageBuilder.hpp"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

#include "builders/Bytes.hpp"

namespace trovex::build {

namespace {

constexpr std::uint32_t kHeaderSize = 24;
constexpr std::uint32_t kFrameEntrySize = 12;

void PutColor(std::string& out, std::uint32_t rgb) {
  out.push_back(static_cast<char>(rgb >> 16));
  out.push_back(static_cast<char>(rgb >> 8));
  out.push_back(static_cast<char>(rgb));
  out.push_back('\0');
}

// BAM: header, frame table, one cycle, palette, lookup table, frame data.
std::string AssembleBam(const BamShape& shape, const std::vector<std::uint32_t>& palette) {
  const auto count = static_cast<std::uint32_t>(shape.frames.size());
  const std::uint32_t lookupEntries = shape.lookupEntries ? shape.lookupEntries : count;
  const std::uint32_t cycleOffset = kHeaderSize + kFrameEntrySize * count;
  const std::uint32_t paletteOffset = cycleOffset + 4;
  const std::uint32_t lookupOffset = paletteOffset + 1024;
  const std::uint32_t dataStart = lookupOffset + 2 * lookupEntries;

  std::vector<std::string> stored(count);
  for (std::size_t f = 0; f < count; ++f) {
    const std::string pixels = FramePixels(shape, f);
    stored[f] = shape.frames[f].compressed ? PackZeroRuns(pixels, shape.runValue) : pixels;
  }
  std::vector<std::uint32_t> offsets(count, 0);
  std::string data;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t f = shape.dataInReverse ? count - 1 - k : k;
    if (shape.frames[f].sharesWith >= 0) continue;
    offsets[f] = dataStart + static_cast<std::uint32_t>(data.size());
    data += stored[f];
  }
  std::string out = "BAM V1  ";
  PutU16(out, static_cast<std::uint16_t>(count));
  out.push_back(1);  // one cycle
  out.push_back(static_cast<char>(shape.runValue));
  PutU32(out, kHeaderSize);
  PutU32(out, paletteOffset);
  PutU32(out, lookupOffset);
  for (std::size_t f = 0; f < count; ++f) {
    const FrameShape& frame = shape.frames[f];
    const std::size_t source = frame.sharesWith >= 0 ? static_cast<std::size_t>(frame.sharesWith) : f;
    PutU16(out, frame.width);
    PutU16(out, frame.height);
    PutU16(out, frame.centreX);
    PutU16(out, frame.centreY);
    PutU32(out, offsets[source] | (frame.compressed ? 0 : 0x80000000u));
  }
  PutU16(out, static_cast<std::uint16_t>(lookupEntries));
  PutU16(out, 0);
  for (std::uint32_t colour : palette) PutColor(out, colour);
  for (std::uint32_t i = 0; i < lookupEntries; ++i) PutU16(out, static_cast<std::uint16_t>(count ? i % count : 0));
  return out + data;
}

}  // namespace

std::vector<std::uint32_t> BamPaletteColors(std::uint32_t seed) {
  Random random(seed);
  std::vector<std::uint32_t> colours(256);
  for (auto& colour : colours) colour = random.Next() & 0xFFFFFF;
  colours[0] = 0x00FF00;
  return colours;
}

std::string FramePixels(const BamShape& shape, std::size_t frame) {
  const FrameShape& f = shape.frames[frame];
  Random random(shape.seed * 7919 + static_cast<std::uint32_t>(frame));
  std::string pixels;
  const std::size_t total = std::size_t{f.width} * f.height;
  while (pixels.size() < total) {
    // Runs of the run value of up to 300 pixels between short stretches of colour.
    const std::size_t run = std::min<std::size_t>(random.Below(300), total - pixels.size());
    pixels.append(run, static_cast<char>(shape.runValue));
    for (std::uint32_t i = random.Below(12); i > 0 && pixels.size() < total; --i) {
      const auto value = static_cast<unsigned char>(1 + random.Below(255));
      pixels.push_back(static_cast<char>(value == shape.runValue ? value + 1 : value));
    }
  }
  return pixels;
}

std::string PackZeroRuns(const std::string& pixels, unsigned char runValue) {
  std::string out;
  for (std::size_t i = 0; i < pixels.size();) {
    const auto value = static_cast<unsigned char>(pixels[i]);
    if (value != runValue) {
      out.push_back(static_cast<char>(value));
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (run < 256 && i + run < pixels.size() && static_cast<unsigned char>(pixels[i + run]) == runValue) ++run;
    out.push_back(static_cast<char>(runValue));
    out.push_back(static_cast<char>(run - 1));
    i += run;
  }
  return out;
}

std::string MakeBam(const BamShape& shape) { return AssembleBam(shape, BamPaletteColors(shape.seed)); }

std::string MakeMos(std::uint16_t width, std::uint16_t height, std::uint32_t block, std::uint32_t seed) {
  const std::uint32_t columns = (width + block - 1) / block;
  const std::uint32_t rows = (height + block - 1) / block;
  Random random(seed);
  std::string palettes;
  std::string table;
  std::string data;
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t c = 0; c < columns; ++c) {
      std::uint32_t colours[256] = {};
      for (int i = 0; i < 24; ++i) colours[i] = random.Next() & 0xFFFFFF;
      colours[7] = colours[3];
      colours[12] = colours[3];
      for (std::uint32_t colour : colours) {  // stored blue, green, red
        palettes.push_back(static_cast<char>(colour));
        palettes.push_back(static_cast<char>(colour >> 8));
        palettes.push_back(static_cast<char>(colour >> 16));
        palettes.push_back('\0');
      }
      PutU32(table, static_cast<std::uint32_t>(data.size()));
      const std::uint32_t w = std::min(block, width - block * c);
      const std::uint32_t h = std::min(block, height - block * r);
      for (std::uint32_t i = 0; i < w * h; ++i) {
        // Mostly smooth areas with some noise, using the repeated and zero entries too.
        data.push_back(static_cast<char>((i / 9 + r + c) % 5 == 0 ? random.Below(30) : (i / w / 4 + c) % 24));
      }
    }
  }
  std::string out = "MOS V1  ";
  PutU16(out, width);
  PutU16(out, height);
  PutU16(out, static_cast<std::uint16_t>(columns));
  PutU16(out, static_cast<std::uint16_t>(rows));
  PutU32(out, block);
  PutU32(out, kHeaderSize);
  return out + palettes + table + data;
}

std::string CompressItem(const std::string& signature, const std::string& plain, int level) {
  uLongf packedLength = compressBound(static_cast<uLong>(plain.size()));
  std::string packed(packedLength, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedLength, reinterpret_cast<const Bytef*>(plain.data()),
                static_cast<uLong>(plain.size()), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  std::string out = signature;
  PutU32(out, static_cast<std::uint32_t>(plain.size()));
  return out + packed.substr(0, packedLength);
}

}  // namespace trovex::build

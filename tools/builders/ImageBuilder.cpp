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

std::string MakeBamWithPalette(const BamShape& shape, const std::vector<std::uint32_t>& palette) {
  return AssembleBam(shape, palette);
}

namespace {

std::uint32_t GetU32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return v;
}

std::uint16_t GetU16(const std::string& bytes, std::size_t at) {
  const unsigned low = static_cast<unsigned char>(bytes[at]);
  const unsigned high = static_cast<unsigned char>(bytes[at + 1]);
  return static_cast<std::uint16_t>(low | high << 8);
}

}  // namespace

std::string MoveBamTablesBehindData(const std::string& bam, bool palette, bool lookup) {
  const std::uint16_t count = GetU16(bam, 8);
  const std::uint32_t paletteOffset = GetU32(bam, 16);
  const std::uint32_t lookupOffset = GetU32(bam, 20);
  const std::uint32_t lookupBytes = 2u * GetU16(bam, kHeaderSize + kFrameEntrySize * count);
  const std::uint32_t dataStart = lookupOffset + lookupBytes;
  const std::string paletteBytes = bam.substr(paletteOffset, lookupOffset - paletteOffset);
  const std::string lookupTable = bam.substr(lookupOffset, lookupBytes);
  std::string out = bam.substr(0, paletteOffset);
  if (!palette) out += paletteBytes;
  if (!lookup) out += lookupTable;
  const auto shift = static_cast<std::uint32_t>(dataStart - out.size());
  out += bam.substr(dataStart);
  SetU32(out, 16, palette ? static_cast<std::uint32_t>(out.size()) : paletteOffset);
  if (palette) out += paletteBytes;
  SetU32(out, 20,
         lookup ? static_cast<std::uint32_t>(out.size())
                : paletteOffset + static_cast<std::uint32_t>(palette ? 0 : paletteBytes.size()));
  if (lookup) out += lookupTable;
  for (std::size_t f = 0; f < count; ++f) {
    const std::size_t at = kHeaderSize + kFrameEntrySize * f + 8;
    const std::uint32_t entry = GetU32(out, at);
    SetU32(out, at, (entry & 0x80000000u) | ((entry & 0x7FFFFFFFu) - shift));
  }
  return out;
}

std::string PointEmptyFramesAt(std::string bam, std::uint32_t offset) {
  for (std::size_t f = 0; f < GetU16(bam, 8); ++f) {
    const std::size_t entry = kHeaderSize + kFrameEntrySize * f;
    if (GetU16(bam, entry) != 0 && GetU16(bam, entry + 2) != 0) continue;
    SetU32(bam, entry + 8, (GetU32(bam, entry + 8) & 0x80000000u) | offset);
  }
  return bam;
}

namespace {

// One row of run-length data, ended by end of line (0, 0).
std::string RleRow(unsigned bits, const unsigned char* row, std::uint32_t width) {
  auto repeats = [&](std::uint32_t at) {
    std::uint32_t n = 1;
    while (at + n < width && n < 255 && row[at + n] == row[at]) ++n;
    return n;
  };
  std::string out;
  for (std::uint32_t x = 0; x < width;) {
    std::uint32_t literal = 0;
    while (x + literal < width && literal < 255 && repeats(x + literal) < 3) ++literal;
    if (literal >= 3) {
      out.push_back('\0');
      out.push_back(static_cast<char>(literal));
      std::string bytes;
      for (std::uint32_t i = 0; i < literal; ++i) {
        if (bits == 8) {
          bytes.push_back(static_cast<char>(row[x + i]));
        } else if (i % 2 == 0) {
          bytes.push_back(static_cast<char>(row[x + i] << 4));
        } else {
          bytes.back() = static_cast<char>(bytes.back() | row[x + i]);
        }
      }
      if (bytes.size() % 2) bytes.push_back('\0');  // the padding to 16 bits
      out += bytes;
      x += literal;
      continue;
    }
    const std::uint32_t n = repeats(x);
    out.push_back(static_cast<char>(n));
    out.push_back(static_cast<char>(bits == 8 ? row[x] : row[x] << 4 | row[x]));
    x += n;
  }
  return out + std::string(2, '\0');
}

}  // namespace

std::string MakeRleBitmap(unsigned bits, std::uint32_t width, std::uint32_t height,
                          const std::vector<unsigned char>& pixels, const std::vector<std::uint32_t>& colours) {
  std::string data;
  for (std::uint32_t y = height; y-- > 0;) data += RleRow(bits, pixels.data() + std::size_t{y} * width, width);
  data += std::string("\0\1", 2);  // end of bitmap
  const auto pixelOffset = static_cast<std::uint32_t>(14 + 40 + 4 * colours.size());
  std::string out = "BM";
  PutU32(out, pixelOffset + static_cast<std::uint32_t>(data.size()));
  PutU32(out, 0);
  PutU32(out, pixelOffset);
  PutU32(out, 40);
  PutU32(out, width);
  PutU32(out, height);
  PutU16(out, 1);
  PutU16(out, static_cast<std::uint16_t>(bits));
  PutU32(out, bits == 8 ? 1 : 2);  // RLE8, RLE4
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  PutU32(out, 2835);
  PutU32(out, 2835);
  PutU32(out, static_cast<std::uint32_t>(colours.size()));
  PutU32(out, 0);
  for (std::uint32_t colour : colours) {  // blue, green, red, 0
    out.push_back(static_cast<char>(colour));
    out.push_back(static_cast<char>(colour >> 8));
    out.push_back(static_cast<char>(colour >> 16));
    out.push_back('\0');
  }
  return out + data;
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

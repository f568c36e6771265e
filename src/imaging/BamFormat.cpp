#include "imaging/BamFormat.hpp"

#include <algorithm>

#include "framework/Errors.hpp"
#include "framework/MemoryStream.hpp"
#include "framework/Stream.hpp"
#include "imaging/Palette.hpp"
#include "imaging/ZeroRuns.hpp"

namespace trovex {

namespace {

constexpr std::uint32_t kFullPaletteBytes = 1024;
// Two stored bytes encode at most a run of 256 pixels.
constexpr std::uint64_t kMostPixelsPerByte = 128;

constexpr std::size_t kCycleEntrySize = 4;

TColorTable ReadPalette(const unsigned char* bam, std::size_t size, BamLayout& layout) {
  const std::uint32_t length = BamPaletteBytes(layout);
  if (layout.paletteOffset > size || length > size - layout.paletteOffset) {
    throw EFormatError("palette beyond end of file");
  }
  TMemoryStream quads(std::vector<unsigned char>(bam + layout.paletteOffset, bam + layout.paletteOffset + length));
  const int count = PaletteQuadsToTriples(quads);
  layout.paletteCount = static_cast<unsigned>(count);
  return PaletteFromTriples(count, quads);
}

void CheckFrame(std::size_t size, std::size_t index, const BamFrame& frame) {
  const std::uint64_t pixels = std::uint64_t{frame.width} * frame.height;
  if (pixels == 0) return;
  if (frame.dataOffset >= size) throw EFormatError(Format("frame %zu: data beyond end of file", index));
  const std::uint64_t available = size - frame.dataOffset;
  if (frame.uncompressed ? pixels > available : pixels > available * kMostPixelsPerByte) {
    throw EFormatError(Format("frame %zu: %ux%u pixels do not fit the data behind it", index, unsigned{frame.width},
                              unsigned{frame.height}));
  }
}

}  // namespace

std::uint32_t BamPaletteBytes(const BamLayout& layout) {
  const std::uint64_t length = std::uint64_t{layout.lookupOffset} - layout.paletteOffset;
  if (layout.lookupOffset < layout.paletteOffset || length < 4 || length > kFullPaletteBytes) return kFullPaletteBytes;
  return static_cast<std::uint32_t>(length);
}

BamCycleTable ReadBamCycleTable(const unsigned char* bam, std::size_t size, const BamLayout& layout) {
  BamCycleTable cycles;
  cycles.start = layout.frameTableOffset + std::uint64_t{layout.frameCount} * kBamFrameEntrySize;
  cycles.end = cycles.start + std::uint64_t{bam[10]} * kCycleEntrySize;
  if (cycles.end > size) throw EFormatError("cycle table beyond end of file");
  for (std::uint64_t at = cycles.start; at < cycles.end; at += kCycleEntrySize) {
    cycles.lookupEntries = std::max<std::uint32_t>(cycles.lookupEntries, std::uint32_t{LoadU16(bam + at)} + LoadU16(bam + at + 2));
  }
  return cycles;
}

std::vector<BamTableSpan> BamTableSpans(const unsigned char* bam, std::size_t size, const BamLayout& layout) {
  const BamCycleTable cycles = ReadBamCycleTable(bam, size, layout);
  const std::uint64_t lookupEnd = layout.lookupOffset + 2 * std::uint64_t{cycles.lookupEntries};
  if (lookupEnd > size) throw EFormatError("frame lookup table beyond end of file");
  return {{12, layout.frameTableOffset, cycles.end},
          {16, layout.paletteOffset, std::uint64_t{layout.paletteOffset} + BamPaletteBytes(layout)},
          {20, layout.lookupOffset, lookupEnd}};
}

BamLayout ReadBamLayout(const unsigned char* bam, std::size_t size) {
  if (size < kBamHeaderSize) throw EFormatError("shorter than its 24-byte header");
  BamLayout layout;
  layout.frameCount = LoadU16(bam + 8);
  layout.runValue = bam[11];
  layout.frameTableOffset = LoadU32(bam + 12);
  layout.paletteOffset = LoadU32(bam + 16);
  layout.lookupOffset = LoadU32(bam + 20);
  if (std::uint64_t{layout.frameTableOffset} + std::uint64_t{layout.frameCount} * kBamFrameEntrySize > size) {
    throw EFormatError("frame table beyond end of file");
  }
  layout.palette = ReadPalette(bam, size, layout);
  layout.frames.reserve(layout.frameCount);
  for (std::size_t i = 0; i < layout.frameCount; ++i) {
    const unsigned char* entry = bam + layout.frameTableOffset + i * kBamFrameEntrySize;
    const std::uint32_t offset = LoadU32(entry + 8);
    const BamFrame frame{LoadU16(entry),     LoadU16(entry + 2),          LoadU16(entry + 4),
                         LoadU16(entry + 6), offset & ~kUncompressedFlag, (offset & kUncompressedFlag) != 0};
    CheckFrame(size, i, frame);
    layout.frames.push_back(frame);
  }
  return layout;
}

DecodedFrame DecodeBamFrame(const unsigned char* bam, std::size_t size, const BamLayout& layout,
                            const BamFrame& frame) {
  const std::size_t pixels = std::size_t{frame.width} * frame.height;
  DecodedFrame decoded{{}, 0};
  if (pixels == 0) return decoded;
  const unsigned char* data = bam + frame.dataOffset;
  if (frame.uncompressed) {
    decoded.pixels.assign(data, data + pixels);
    decoded.storedBytes = pixels;
  } else {
    decoded.storedBytes =
        UnpackZeroRuns(data, size - frame.dataOffset, decoded.pixels, frame.width, frame.height, layout.runValue);
    decoded.pixels.resize(pixels);
  }
  return decoded;
}

void StoreBamFrame(unsigned char* bam, const BamLayout& layout, std::size_t index, const BamFrame& frame) {
  unsigned char* entry = bam + layout.frameTableOffset + index * kBamFrameEntrySize;
  StoreU16(entry, frame.width);
  StoreU16(entry + 2, frame.height);
  StoreU32(entry + 8, frame.dataOffset | (frame.uncompressed ? kUncompressedFlag : 0));
}

}  // namespace trovex

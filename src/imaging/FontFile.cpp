#include "imaging/FontFile.hpp"

#include <algorithm>

#include "framework/FileStream.hpp"

namespace trovex {

EFormatError InvalidFont(const std::string& path, const std::string& what) {
  return EFormatError("Invalid font " + path + ": " + what);
}

std::vector<unsigned char> ReadFontStream(TStream& stream, const std::string& path) {
  const std::int64_t size = stream.Size();
  if (size > static_cast<std::int64_t>(~kUncompressedFlag)) throw InvalidFont(path, "larger than 2 GiB");
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

std::vector<unsigned char> ReadFontFile(const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  return ReadFontStream(file, path);
}

BamLayout ReadFontLayout(const std::vector<unsigned char>& font, const std::string& path) {
  try {
    BamLayout layout = ReadBamLayout(font.data(), font.size());
    if (layout.frameCount == 0) throw EFormatError("it has no frames");
    return layout;
  } catch (const EFormatError& error) {
    throw InvalidFont(path, error.what());
  }
}

std::uint32_t LookupEntryCount(const std::vector<unsigned char>& font, const BamLayout& layout) {
  return ReadBamCycleTable(font.data(), font.size(), layout).lookupEntries;
}

std::uint16_t LookupEntry(const std::vector<unsigned char>& font, const BamLayout& layout, std::size_t i) {
  return LoadU16(font.data() + layout.lookupOffset + 2 * i);
}

namespace {

// The first offset behind the tables and the data of frames 0 to 190.
std::uint64_t ShippedEnd(const std::vector<unsigned char>& font, const BamLayout& layout) {
  std::uint64_t end = std::uint64_t{layout.lookupOffset} + 2 * kLookupEntries;
  end = std::max<std::uint64_t>(end, std::uint64_t{layout.paletteOffset} + 4 * layout.paletteCount);
  end = std::max<std::uint64_t>(end, ReadBamCycleTable(font.data(), font.size(), layout).end);
  for (std::size_t j = 0; j < kShippedFrames; ++j) {
    const BamFrame& frame = layout.frames[j];
    if (frame.width == 0 || frame.height == 0) continue;
    const DecodedFrame decoded = DecodeBamFrame(font.data(), font.size(), layout, frame);
    end = std::max<std::uint64_t>(end, std::uint64_t{frame.dataOffset} + decoded.storedBytes);
  }
  return end;
}

}  // namespace

bool ExtendedByInsertion(const std::vector<unsigned char>& font, const BamLayout& layout) {
  if (layout.frameCount != kExtendedFrames || layout.frameTableOffset != kBamHeaderSize) return false;
  if (std::uint64_t{layout.lookupOffset} + 2 * kLookupEntries > font.size()) return false;
  std::uint64_t next = layout.frames[kShippedFrames].dataOffset;
  if (next < ShippedEnd(font, layout)) return false;
  for (std::size_t j = kShippedFrames; j < kExtendedFrames; ++j) {
    const BamFrame& frame = layout.frames[j];
    if (!frame.uncompressed || frame.dataOffset != next) return false;
    if (LookupEntry(font, layout, j + 1) != j) return false;
    next += std::uint64_t{frame.width} * frame.height;
  }
  return next == font.size();
}

}  // namespace trovex

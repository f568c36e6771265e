#include "imaging/BamConvert.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "framework/BitmapFile.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"

namespace trovex {

namespace {

// The pixels of an edited bitmap as indices of the frame palette: an 8-bit
// bitmap's own bytes, any other bitmap mapped to the nearest frame colour.
std::vector<unsigned char> FrameIndices(const TBitmap& bitmap, const TColorTable& palette) {
  if (bitmap.Format() == PixelFormat::pf8bit) return bitmap.Pixels();
  std::vector<unsigned char> indices;
  indices.reserve(std::size_t{bitmap.Width()} * bitmap.Height());
  std::unordered_map<TColor, unsigned char> nearest;
  for (std::uint32_t y = 0; y < bitmap.Height(); ++y) {
    for (std::uint32_t x = 0; x < bitmap.Width(); ++x) {
      const TColor color = bitmap.Pixel(x, y);
      auto [it, added] = nearest.try_emplace(color, 0);
      if (added) it->second = static_cast<unsigned char>(NearestColorIndex(palette, color));
      indices.push_back(it->second);
    }
  }
  return indices;
}

// A frame's new pixels, or nothing when it keeps its stored bytes.
struct FrameEdit {
  std::uint16_t width;
  std::uint16_t height;
  std::vector<unsigned char> pixels;
};

std::optional<FrameEdit> ReadFrameEdit(const std::string& path, const std::vector<unsigned char>& bam,
                                       const BamLayout& layout, const BamFrame& frame, const TColorTable& palette) {
  if (path.empty() || !IsRegularFile(path)) return std::nullopt;
  const TBitmap bitmap = LoadBitmapFile(path);
  if (bitmap.Width() > UINT16_MAX || bitmap.Height() > UINT16_MAX) {
    throw EFormatError(path + ": a frame holds at most 65535 × 65535 pixels");
  }
  FrameEdit edit{static_cast<std::uint16_t>(bitmap.Width()), static_cast<std::uint16_t>(bitmap.Height()),
                 FrameIndices(bitmap, palette)};
  if (edit.width == frame.width && edit.height == frame.height &&
      edit.pixels == DecodeBamFrame(bam.data(), bam.size(), layout, frame).pixels) {
    return std::nullopt;
  }
  return edit;
}

// Where the frame data begin: the lowest data offset of the frames that have
// pixels (an empty frame's offset may point anywhere). The header and tables
// must lie before it.
std::size_t FrameDataStart(const std::vector<unsigned char>& bam, const BamLayout& layout) {
  std::size_t cut = bam.size();
  for (const BamFrame& frame : layout.frames) {
    if (frame.width != 0 && frame.height != 0) cut = std::min<std::size_t>(cut, frame.dataOffset);
  }
  const std::uint64_t tableEnd = layout.frameTableOffset + std::uint64_t{layout.frameCount} * kBamFrameEntrySize;
  if (tableEnd > cut || layout.paletteOffset > cut || layout.lookupOffset > cut) {
    throw EFormatError("its frame data lie before its tables; frames not replaced");
  }
  return cut;
}

// The BAM rebuilt: everything before the frame data, then each frame's data
// in frame table order. Kept frames take the bytes their decoding consumed;
// frames that shared stored data share the one copy.
std::vector<unsigned char> RebuildBam(const std::vector<unsigned char>& bam, const BamLayout& layout,
                                      std::vector<std::optional<FrameEdit>>& edits) {
  std::vector<unsigned char> out(bam.begin(), bam.begin() + static_cast<std::ptrdiff_t>(FrameDataStart(bam, layout)));
  std::map<std::tuple<std::uint32_t, bool, std::uint16_t, std::uint16_t>, std::uint32_t> copied;
  std::vector<BamFrame> frames = layout.frames;
  for (std::size_t f = 0; f < frames.size(); ++f) {
    BamFrame& frame = frames[f];
    if (out.size() > ~kUncompressedFlag) throw EFormatError("the rebuilt image would exceed 2 GiB");
    const auto offset = static_cast<std::uint32_t>(out.size());
    if (edits[f]) {
      frame = {edits[f]->width, edits[f]->height, frame.centreX, frame.centreY, offset, true};
      out.insert(out.end(), edits[f]->pixels.begin(), edits[f]->pixels.end());
      continue;
    }
    const auto key = std::make_tuple(frame.dataOffset, frame.uncompressed, frame.width, frame.height);
    const auto [it, added] = copied.try_emplace(key, offset);
    if (added) {
      const std::size_t stored = DecodeBamFrame(bam.data(), bam.size(), layout, frame).storedBytes;
      out.insert(out.end(), bam.begin() + frame.dataOffset, bam.begin() + frame.dataOffset + stored);
    }
    frame.dataOffset = it->second;
  }
  for (std::size_t f = 0; f < frames.size(); ++f) StoreBamFrame(out.data(), layout, f, frames[f]);
  return out;
}

}  // namespace

TColorTable FramePalette(const BamLayout& layout) {
  TColorTable palette = layout.palette;
  palette[0] = 0;
  return palette;
}

std::string FrameBitmapPath(const std::string& stem, std::size_t frame) {
  return FrameBitmapSeries(stem).Name(frame);
}

OutputSeries FrameBitmapSeries(const std::string& stem) {
  return {stem.substr(0, stem.empty() ? 0 : stem.size() - 1) + "_", ".bmp"};
}

std::vector<std::string> BamFramesToBitmaps(const std::vector<unsigned char>& bam, const std::string& stem,
                                            const std::function<void(const std::string& path)>& saved) {
  const BamLayout layout = ReadBamLayout(bam.data(), bam.size());
  std::vector<std::string> paths;
  TBitmap bitmap;
  for (std::size_t f = 0; f < layout.frames.size(); ++f) {
    const BamFrame& frame = layout.frames[f];
    bitmap = TBitmap(PixelFormat::pf8bit, frame.width, frame.height);
    bitmap.Palette() = FramePalette(layout);
    bitmap.Pixels() = DecodeBamFrame(bam.data(), bam.size(), layout, frame).pixels;
    bitmap.Pixels().resize(std::size_t{frame.width} * frame.height);
    paths.push_back(FrameBitmapPath(stem, f));
    SaveBitmapFile(bitmap, paths.back());
    if (saved) saved(paths.back());
  }
  return paths;
}

std::size_t BitmapsToBamFrames(std::vector<unsigned char>& bam, const TStringList& lines, std::size_t line) {
  const BamLayout layout = ReadBamLayout(bam.data(), bam.size());
  const TColorTable palette = FramePalette(layout);
  std::vector<std::optional<FrameEdit>> edits(layout.frames.size());
  bool changed = false;
  const std::string prefix = kFrameLinePrefix;
  for (std::size_t f = 0; f < layout.frames.size() && line < lines.Count(); ++f, ++line) {
    const std::string& text = lines.Get(line);
    if (text.compare(0, prefix.size(), prefix) != 0) break;
    edits[f] = ReadFrameEdit(text.substr(prefix.size()), bam, layout, layout.frames[f], palette);
    changed = changed || edits[f].has_value();
  }
  if (changed) bam = RebuildBam(bam, layout, edits);
  return line;
}

}  // namespace trovex

#include "imaging/BamConvert.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

#include "framework/BitmapFile.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/Stream.hpp"
#include "imaging/Palette.hpp"

namespace trovex {

namespace {

// The pixels of an edited bitmap as indices of the frame palette. An 8-bit
// file with the colour table that extraction wrote gives its bytes as they
// stand. Any other file (another depth, or a table that an editor rewrote)
// is mapped by colour: a pixel showing the colour of the index the frame
// holds there keeps that index, any other takes the nearest frame colour.
std::vector<unsigned char> FrameIndices(const TBitmap& bitmap, const TColorTable& palette, const BamFrame& frame,
                                        const std::vector<unsigned char>& held) {
  if (bitmap.FileBitsPerPixel() == 8 && bitmap.Palette() == palette) return bitmap.Pixels();
  std::vector<unsigned char> indices;
  indices.reserve(std::size_t{bitmap.Width()} * bitmap.Height());
  TColorMapper mapper(palette);
  for (std::uint32_t y = 0; y < bitmap.Height(); ++y) {
    for (std::uint32_t x = 0; x < bitmap.Width(); ++x) {
      const int old = x < frame.width && y < frame.height ? held[std::size_t{y} * frame.width + x] : -1;
      indices.push_back(mapper.IndexOf(bitmap.Pixel(x, y), old));
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
  const std::vector<unsigned char> held = DecodeBamFrame(bam.data(), bam.size(), layout, frame).pixels;
  FrameEdit edit{static_cast<std::uint16_t>(bitmap.Width()), static_cast<std::uint16_t>(bitmap.Height()),
                 FrameIndices(bitmap, palette, frame, held)};
  if (edit.width == frame.width && edit.height == frame.height && edit.pixels == held) return std::nullopt;
  return edit;
}

// Where the frame data begin: the lowest data offset of the frames that have
// pixels (an empty frame's offset may point anywhere, into the header even).
std::size_t FrameDataStart(const std::vector<unsigned char>& bam, const BamLayout& layout) {
  std::size_t cut = bam.size();
  for (const BamFrame& frame : layout.frames) {
    if (frame.width != 0 && frame.height != 0) cut = std::min<std::size_t>(cut, frame.dataOffset);
  }
  if (cut < kBamHeaderSize) throw EFormatError("its frame data overlap its header; frames not replaced");
  return cut;
}

// Moves the tables that lie behind the frame data (cut) to the end of out, in
// blocks of adjoining or overlapping tables so that their distances stay, and
// points the header's offsets at them; layout takes the frame table's new
// place. Tables before the frame data stay where they are.
void AppendTablesBehind(const std::vector<unsigned char>& bam, std::size_t cut, std::vector<unsigned char>& out,
                        BamLayout& layout) {
  const std::vector<BamTableSpan> spans = BamTableSpans(bam.data(), bam.size(), layout);
  // The header's offsets and the frame entries are rewritten; a table sharing
  // their bytes would change with them.
  for (const BamTableSpan& span : spans) {
    if (span.start < kBamHeaderSize && span.start < span.end) {
      throw EFormatError("its tables overlap its header; frames not replaced");
    }
  }
  const std::uint64_t entriesEnd = layout.frameTableOffset + std::uint64_t{layout.frameCount} * kBamFrameEntrySize;
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].start < entriesEnd && layout.frameTableOffset < spans[i].end) {
      throw EFormatError("its frame table overlaps its palette or lookup table; frames not replaced");
    }
  }
  std::vector<BamTableSpan> behind;
  for (const BamTableSpan& span : spans) {
    if (span.end <= cut) continue;
    if (span.start < cut) throw EFormatError("its tables overlap its frame data; frames not replaced");
    behind.push_back(span);
  }
  std::sort(behind.begin(), behind.end(), [](const auto& a, const auto& b) { return a.start < b.start; });
  std::uint64_t blockStart = 0;
  std::uint64_t blockEnd = 0;
  std::uint64_t blockPlace = 0;
  for (std::size_t i = 0; i < behind.size(); ++i) {
    const BamTableSpan& span = behind[i];
    if (i == 0 || span.start > blockEnd) {
      blockStart = blockEnd = span.start;
      blockPlace = out.size();
    }
    if (span.end > blockEnd) {
      out.insert(out.end(), bam.begin() + static_cast<std::ptrdiff_t>(blockEnd),
                 bam.begin() + static_cast<std::ptrdiff_t>(span.end));
      blockEnd = span.end;
    }
    const std::uint64_t place = blockPlace + (span.start - blockStart);
    if (out.size() > UINT32_MAX) throw EFormatError("the rebuilt image would exceed 4 GiB");
    StoreU32(out.data() + span.headerField, static_cast<std::uint32_t>(place));
    if (span.headerField == 12) layout.frameTableOffset = static_cast<std::uint32_t>(place);
  }
}

// Zero-run data cut short by the end of the file decode as if their last
// byte repeated; moved away from the end, such a frame would read what now
// follows it. Every kept frame must show the same pixels in the rebuilt BAM.
void CheckKeptFrames(const std::vector<unsigned char>& bam, const BamLayout& layout,
                     const std::vector<unsigned char>& out, const std::vector<std::optional<FrameEdit>>& edits) {
  const BamLayout rebuilt = ReadBamLayout(out.data(), out.size());
  for (std::size_t f = 0; f < layout.frames.size(); ++f) {
    if (edits[f]) continue;
    if (DecodeBamFrame(out.data(), out.size(), rebuilt, rebuilt.frames[f]).pixels !=
        DecodeBamFrame(bam.data(), bam.size(), layout, layout.frames[f]).pixels) {
      throw EFormatError(Format("frame %zu: its data are cut short by the end of the file; frames not replaced", f));
    }
  }
}

// The BAM rebuilt: everything before the frame data, then each frame's data
// in frame table order, then the tables that lay behind the frame data. Kept
// frames take the bytes their decoding consumed; frames that shared stored
// data share the one copy; frames without pixels keep their entries.
std::vector<unsigned char> RebuildBam(const std::vector<unsigned char>& bam, const BamLayout& layout,
                                      std::vector<std::optional<FrameEdit>>& edits) {
  const std::size_t cut = FrameDataStart(bam, layout);
  std::vector<unsigned char> out(bam.begin(), bam.begin() + static_cast<std::ptrdiff_t>(cut));
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
    if (frame.width == 0 || frame.height == 0) continue;
    const auto key = std::make_tuple(frame.dataOffset, frame.uncompressed, frame.width, frame.height);
    const auto [it, added] = copied.try_emplace(key, offset);
    if (added) {
      const std::size_t stored = DecodeBamFrame(bam.data(), bam.size(), layout, frame).storedBytes;
      out.insert(out.end(), bam.begin() + frame.dataOffset, bam.begin() + frame.dataOffset + stored);
    }
    frame.dataOffset = it->second;
  }
  BamLayout rebuilt = layout;
  AppendTablesBehind(bam, cut, out, rebuilt);
  for (std::size_t f = 0; f < frames.size(); ++f) StoreBamFrame(out.data(), rebuilt, f, frames[f]);
  CheckKeptFrames(bam, layout, out, edits);
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

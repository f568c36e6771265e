// A BAM image. Its layout reads or fails with a format error; every frame of
// a layout that reads decodes inside the image, and rebuilding it without
// bitmaps leaves it byte for byte as it was. Replacing its first frame with
// pixels by a true-colour bitmap gives a BAM that reads, with that frame
// mapped to the palette and every other frame, the palette and the lookup
// table as they were (tables behind the frame data move), or fails with a
// format error and leaves it unchanged.
#include <filesystem>

#include "FuzzCheck.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/Errors.hpp"
#include "imaging/BamConvert.hpp"

using namespace trovex;

namespace {

// A 3 × 2 true-colour bitmap written once for the whole session.
const std::string& EditedFrame() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / "trovex-fuzz-bam-frame.bmp").string();
    TBitmap bitmap(PixelFormat::pf24bit, 3, 2);
    for (std::uint32_t i = 0; i < 6; ++i) bitmap.SetColor(i % 3, i / 3, i * 0x2A1F33);
    SaveBitmapFile(bitmap, p);
    return p;
  }();
  return path;
}

std::vector<unsigned char> LookupTable(const std::vector<unsigned char>& bam, const BamLayout& layout) {
  const BamTableSpan span = BamTableSpans(bam.data(), bam.size(), layout)[2];
  return {bam.begin() + static_cast<std::ptrdiff_t>(span.start), bam.begin() + static_cast<std::ptrdiff_t>(span.end)};
}

void CheckEdit(const std::vector<unsigned char>& original, const BamLayout& layout, std::size_t edited) {
  TStringList lines;
  for (std::size_t f = 0; f < layout.frames.size(); ++f) {
    lines.Add(std::string(kFrameLinePrefix) + (f == edited ? EditedFrame() : "/nonexistent/f.bmp"));
  }
  std::vector<unsigned char> bam = original;
  try {
    BitmapsToBamFrames(bam, lines, 0);
  } catch (const EFormatError&) {
    fuzz::Require(bam == original, "a refused edit changes nothing");
    return;
  }
  BamLayout after;
  try {
    after = ReadBamLayout(bam.data(), bam.size());
  } catch (const EFormatError&) {
    fuzz::Require(false, "the rebuilt image reads");
  }
  fuzz::Require(after.palette == layout.palette, "the palette stays");
  fuzz::Require(LookupTable(bam, after) == LookupTable(original, layout), "the lookup table stays");
  for (std::size_t f = 0; f < layout.frames.size(); ++f) {
    const std::vector<unsigned char> now = DecodeBamFrame(bam.data(), bam.size(), after, after.frames[f]).pixels;
    if (f == edited) {
      fuzz::Require(now.size() == 6, "the edited frame takes the bitmap's size");
    } else {
      fuzz::Require(now == DecodeBamFrame(original.data(), original.size(), layout, layout.frames[f]).pixels,
                    "other frames keep their pixels");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<unsigned char> bam(data, data + size);
  BamLayout layout;
  try {
    layout = ReadBamLayout(bam.data(), bam.size());
  } catch (const EFormatError&) {
    return 0;
  }
  for (const BamFrame& frame : layout.frames) {
    const DecodedFrame decoded = DecodeBamFrame(bam.data(), bam.size(), layout, frame);
    fuzz::Require(decoded.pixels.size() == std::size_t{frame.width} * frame.height, "a frame decodes to its size");
    fuzz::Require(decoded.storedBytes <= size - std::min<std::size_t>(size, frame.dataOffset), "decoding stays inside");
  }
  TStringList lines;
  for (std::size_t f = 0; f < layout.frames.size(); ++f)
    lines.Add(std::string(kFrameLinePrefix) + "/nonexistent/f.bmp");
  fuzz::Require(BitmapsToBamFrames(bam, lines, 0) == layout.frames.size(), "one line per frame");
  fuzz::Require(bam == std::vector<unsigned char>(data, data + size), "no bitmap changes nothing");
  for (std::size_t f = 0; f < layout.frames.size(); ++f) {
    if (layout.frames[f].width != 0 && layout.frames[f].height != 0) {
      CheckEdit(bam, layout, f);
      break;
    }
  }
  return 0;
}

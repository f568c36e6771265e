// A BAM image. Its layout reads or fails with a format error; every frame of
// a layout that reads decodes inside the image, and rebuilding it without
// bitmaps leaves it byte for byte as it was.
#include "FuzzCheck.hpp"
#include "framework/Errors.hpp"
#include "imaging/BamConvert.hpp"

using namespace trovex;

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
  return 0;
}

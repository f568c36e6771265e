// BAM images and fonts (which are BAM images), read as the frame and font
// conversions read them: the layout, then every frame's pixels. A damaged
// image fails with a format error; a frame's pixels fill its size and come
// from bytes inside the image.
#include "FuzzCheck.hpp"
#include "imaging/BamFormat.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BamLayout layout;
  try {
    layout = ReadBamLayout(data, size);
  } catch (const EFormatError&) {
    return 0;
  }
  for (const BamFrame& frame : layout.frames) {
    DecodedFrame decoded;
    try {
      decoded = DecodeBamFrame(data, size, layout, frame);
    } catch (const EFormatError&) {
      continue;
    }
    fuzz::Require(decoded.pixels.size() == std::size_t{frame.width} * frame.height, "pixels fill the frame");
    fuzz::Require(decoded.storedBytes == 0 || frame.dataOffset + decoded.storedBytes <= size, "pixels come from inside");
  }
  return 0;
}

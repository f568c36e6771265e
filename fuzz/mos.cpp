// MOS images, converted to a bitmap as extraction does it and back as
// insertion does it. A damaged image fails with a format error; a sound one
// gives a bitmap of its size, and that bitmap unedited changes no byte.
#include "FuzzCheck.hpp"
#include "imaging/MosConvert.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<unsigned char> mos(data, data + size);
  MosLayout layout;
  TBitmap bitmap;
  try {
    layout = ReadMosLayout(mos.data(), mos.size());
    bitmap = MosToBitmap(mos);
  } catch (const EFormatError&) {
    return 0;
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::Require(bitmap.Width() == layout.width && bitmap.Height() == layout.height, "the bitmap has the image's size");
  BitmapToMos(mos, bitmap);
  fuzz::Require(std::equal(mos.begin(), mos.end(), data), "an unedited bitmap changes nothing");
  return 0;
}

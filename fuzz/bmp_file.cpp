// A BMP file. The reader gives a bitmap or "Bitmap image is not valid"; a
// bitmap it gives is written and read back with the same pixels and colours.
#include "FuzzCheck.hpp"
#include "framework/BitmapFile.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TBitmap bitmap;
  try {
    bitmap = DecodeBitmap(data, size);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  fuzz::Require(bitmap.Pixels().size() == bitmap.RowBytes() * bitmap.Height(), "pixels fill the rows");
  const std::vector<unsigned char> file = EncodeBitmap(bitmap);
  const TBitmap again = DecodeBitmap(file.data(), file.size());
  fuzz::Require(again.Pixels() == bitmap.Pixels(), "written pixels read back");
  fuzz::Require(bitmap.Format() != PixelFormat::pf8bit || again.Palette() == bitmap.Palette(),
                "written colours read back");
  return 0;
}

// A BMP file. The reader gives a bitmap or "Bitmap image is not valid"; a
// bitmap it gives reports the file's depth and colour count, and is written
// and read back with the same pixels and colours.
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
  const unsigned bits = bitmap.FileBitsPerPixel();
  fuzz::Require(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32, "a file's depth");
  fuzz::Require(bits <= 8 ? bitmap.FileColorCount() <= (1u << bits) : bitmap.FileColorCount() == 0,
                "no more colours than the depth holds");
  const std::vector<unsigned char> file = EncodeBitmap(bitmap);
  const TBitmap again = DecodeBitmap(file.data(), file.size());
  fuzz::Require(again.Pixels() == bitmap.Pixels(), "written pixels read back");
  fuzz::Require(bitmap.Format() != PixelFormat::pf8bit || again.Palette() == bitmap.Palette(),
                "written colours read back");
  return 0;
}

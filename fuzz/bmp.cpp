// Windows BMP files, decoded as insertion reads edited bitmaps. What decodes
// encodes to a file that decodes to the same bitmap (checked up to a
// megapixel: a few bytes of run-length data may describe a huge bitmap,
// which is legal and only slow to encode twice).
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
  if (std::uint64_t{bitmap.Width()} * bitmap.Height() > (1u << 20)) return 0;
  const std::vector<unsigned char> file = EncodeBitmap(bitmap);
  const TBitmap again = DecodeBitmap(file.data(), file.size());
  fuzz::Require(again.Width() == bitmap.Width() && again.Height() == bitmap.Height(), "the size survives");
  fuzz::Require(EncodeBitmap(again) == file, "a written bitmap reads back the same");
  return 0;
}

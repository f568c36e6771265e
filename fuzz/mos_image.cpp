// A MOS image. It converts to a bitmap or fails with a format error; the
// bitmap it gives, put back, leaves every byte as it was (each pixel keeps
// the index it came from, even where a palette repeats colours).
#include "FuzzCheck.hpp"
#include "framework/Errors.hpp"
#include "imaging/MosConvert.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<unsigned char> mos(data, data + size);
  TBitmap bitmap;
  try {
    bitmap = MosToBitmap(mos);
  } catch (const EFormatError&) {
    return 0;
  }
  BitmapToMos(mos, bitmap);
  fuzz::Require(mos == std::vector<unsigned char>(data, data + size), "its own bitmap changes nothing");
  return 0;
}

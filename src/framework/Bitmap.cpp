#include "framework/Bitmap.hpp"

namespace trovex {

EInvalidGraphic::EInvalidGraphic() : Exception("Bitmap image is not valid") {}

EInvalidGraphic::EInvalidGraphic(const std::string& path) : Exception("Bitmap image is not valid: " + path) {}

TBitmap::TBitmap(PixelFormat format, std::uint32_t width, std::uint32_t height)
    : format_(format), width_(width), height_(height) {
  if (std::uint64_t{width} * height > kMaxBitmapPixels) throw EInvalidGraphic();
  pixels_.assign(RowBytes() * height, 0);
}

TColor TBitmap::Pixel(std::uint32_t x, std::uint32_t y) const {
  const unsigned char* row = Row(y);
  if (format_ == PixelFormat::pf8bit) return palette_[row[x]];
  const unsigned char* p = row + std::size_t{x} * 3;
  return MakeColor(p[2], p[1], p[0]);
}

void TBitmap::SetColor(std::uint32_t x, std::uint32_t y, TColor color) {
  unsigned char* p = Row(y) + std::size_t{x} * 3;
  p[0] = static_cast<unsigned char>(BlueOf(color));
  p[1] = static_cast<unsigned char>(GreenOf(color));
  p[2] = static_cast<unsigned char>(RedOf(color));
}

unsigned NearestColorIndex(const TColorTable& table, TColor color, unsigned count) {
  unsigned best = 0;
  long bestDistance = -1;
  for (unsigned i = 0; i < count && i < table.size(); ++i) {
    const long dr = static_cast<long>(RedOf(table[i])) - static_cast<long>(RedOf(color));
    const long dg = static_cast<long>(GreenOf(table[i])) - static_cast<long>(GreenOf(color));
    const long db = static_cast<long>(BlueOf(table[i])) - static_cast<long>(BlueOf(color));
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}

}  // namespace trovex

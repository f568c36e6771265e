// Bitmaps in memory: 8 bits per pixel with a 256-entry colour table, or 24
// bits per pixel. Rows are held top row first, without padding. Windows BMP
// files are read and written by BitmapFile.hpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/Errors.hpp"

namespace trovex {

// A colour as 0x00BBGGRR.
using TColor = std::uint32_t;
using TColorTable = std::array<TColor, 256>;

constexpr TColor MakeColor(unsigned red, unsigned green, unsigned blue) {
  return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}
constexpr unsigned RedOf(TColor c) { return c & 0xFF; }
constexpr unsigned GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr unsigned BlueOf(TColor c) { return (c >> 16) & 0xFF; }

// "Bitmap image is not valid", with the file named when one is known.
class EInvalidGraphic : public Exception {
 public:
  EInvalidGraphic();
  explicit EInvalidGraphic(const std::string& path);
};

// The largest bitmap the program makes: 2^28 pixels (1 GiB at 24 bits).
// Callers check sizes read from files against what the file holds first;
// this is the last guard against sizes no file can justify.
inline constexpr std::uint64_t kMaxBitmapPixels = std::uint64_t{1} << 28;

enum class PixelFormat { pf8bit, pf24bit };

class TBitmap {
 public:
  TBitmap() = default;
  // All pixels 0 (index 0, or black); the colour table all black.
  // Sizes above kMaxBitmapPixels fail with EInvalidGraphic.
  TBitmap(PixelFormat format, std::uint32_t width, std::uint32_t height);

  PixelFormat Format() const { return format_; }
  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  // Bytes per row: the width for 8 bits, three times it for 24 (blue, green,
  // red per pixel, as BMP files hold them).
  std::size_t RowBytes() const { return format_ == PixelFormat::pf8bit ? width_ : std::size_t{width_} * 3; }

  TColorTable& Palette() { return palette_; }
  const TColorTable& Palette() const { return palette_; }

  unsigned char* Row(std::uint32_t y) { return pixels_.data() + y * RowBytes(); }
  const unsigned char* Row(std::uint32_t y) const { return pixels_.data() + y * RowBytes(); }
  std::vector<unsigned char>& Pixels() { return pixels_; }
  const std::vector<unsigned char>& Pixels() const { return pixels_; }

  // The colour of a pixel inside the bitmap: through the colour table for 8 bits.
  TColor Pixel(std::uint32_t x, std::uint32_t y) const;
  // Sets a pixel of a 24-bit bitmap.
  void SetColor(std::uint32_t x, std::uint32_t y, TColor color);

  // What the BMP file it was read from held: its bits per pixel (1, 4, 8,
  // 16, 24 or 32) and the colour table entries it stored. A bitmap made in
  // memory reports 0 for both. Editors re-save 8-bit images at other depths
  // and with other tables, so callers decide by these, not by Format().
  unsigned FileBitsPerPixel() const { return fileBits_; }
  unsigned FileColorCount() const { return fileColors_; }
  void SetFileFormat(unsigned bitsPerPixel, unsigned colorCount) {
    fileBits_ = bitsPerPixel;
    fileColors_ = colorCount;
  }

 private:
  PixelFormat format_ = PixelFormat::pf8bit;
  unsigned fileBits_ = 0;
  unsigned fileColors_ = 0;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  TColorTable palette_{};
  std::vector<unsigned char> pixels_;
};

// The index of the first count entries of the table nearest to the colour:
// smallest squared distance in red, green and blue, the lowest index on a tie.
unsigned NearestColorIndex(const TColorTable& table, TColor color, unsigned count = 256);

}  // namespace trovex

#include "imaging/GlyphBoxes.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace trovex {

namespace {

// Finds the first and the last column from 1 up whose colour differs from the
// background. An 8-bit sheet compares palette indices through a table of
// which indices show the background colour; when a single index does, a row
// of background alone (most rows of a sheet) is recognised by one memory
// comparison, so that sheets of millions of pixels scan quickly.
class TInkFinder {
 public:
  TInkFinder(const TBitmap& sheet, TColor background) : sheet_(sheet), background_(background) {
    if (sheet.Format() != PixelFormat::pf8bit) return;
    unsigned count = 0;
    unsigned index = 0;
    for (unsigned i = 0; i < background_index_.size(); ++i) {
      background_index_[i] = sheet.Palette()[i] == background;
      if (background_index_[i]) ++count, index = i;
    }
    if (count == 1) background_row_.assign(sheet.Width(), static_cast<unsigned char>(index));
  }

  // False when the row has no ink; otherwise its first and last ink columns.
  bool Find(std::uint32_t row, std::uint32_t& first, std::uint32_t& last) const {
    if (sheet_.Format() != PixelFormat::pf8bit) {
      return FindIn([&](std::uint32_t x) { return sheet_.Pixel(x, row) == background_; }, first, last);
    }
    const unsigned char* pixels = sheet_.Row(row);
    const std::uint32_t width = sheet_.Width();
    if (!background_row_.empty() && std::memcmp(pixels + 1, background_row_.data(), width - 1) == 0) return false;
    return FindIn([&](std::uint32_t x) { return background_index_[pixels[x]]; }, first, last);
  }

 private:
  template <typename IsBackground>
  bool FindIn(IsBackground isBackground, std::uint32_t& first, std::uint32_t& last) const {
    const std::uint32_t width = sheet_.Width();
    std::uint32_t x = 1;
    while (x < width && isBackground(x)) ++x;
    if (x >= width) return false;
    first = x;
    x = width - 1;
    while (isBackground(x)) --x;
    last = x;
    return true;
  }

  const TBitmap& sheet_;
  TColor background_;
  std::array<bool, 256> background_index_{};
  std::vector<unsigned char> background_row_;  // the background index, a row's width of it
};

}  // namespace

std::vector<GlyphBox> ScanGlyphBoxes(const TBitmap& sheet) {
  std::vector<GlyphBox> boxes;
  const std::uint32_t width = sheet.Width();
  const std::uint32_t height = sheet.Height();
  if (width == 0 || height == 0) return boxes;
  const TColor marker = sheet.Pixel(0, 0);
  const TInkFinder ink(sheet, width > 1 ? sheet.Pixel(1, 0) : marker);
  constexpr TColor kSeparator = 0;
  std::uint32_t row = 0;
  while (row < height) {
    GlyphBox box{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 0, 0, 0};
    std::int64_t baseRow = 0;
    for (; row < height && sheet.Pixel(0, row) != kSeparator; ++row) {
      if (sheet.Pixel(0, row) != marker) baseRow = row;
      std::uint32_t first = 0;
      std::uint32_t last = 0;
      if (!ink.Find(row, first, last)) continue;
      box.left = std::min(box.left, static_cast<std::int32_t>(first));
      box.right = std::max(box.right, static_cast<std::int32_t>(last));
      box.top = std::min(box.top, static_cast<std::int32_t>(row));
      box.bottom = std::max(box.bottom, static_cast<std::int32_t>(row));
    }
    ++row;
    box.baseline = static_cast<std::int32_t>(baseRow - box.top + 1);
    boxes.push_back(box);
  }
  return boxes;
}

}  // namespace trovex

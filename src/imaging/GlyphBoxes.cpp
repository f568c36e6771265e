#include "imaging/GlyphBoxes.hpp"

#include <algorithm>

namespace trovex {

std::vector<GlyphBox> ScanGlyphBoxes(const TBitmap& sheet) {
  std::vector<GlyphBox> boxes;
  const std::uint32_t width = sheet.Width();
  const std::uint32_t height = sheet.Height();
  if (width == 0 || height == 0) return boxes;
  const TColor marker = sheet.Pixel(0, 0);
  const TColor background = width > 1 ? sheet.Pixel(1, 0) : marker;
  constexpr TColor kSeparator = 0;
  std::uint32_t row = 0;
  while (row < height) {
    GlyphBox box{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 0, 0, 0};
    std::int64_t baseRow = 0;
    for (; row < height && sheet.Pixel(0, row) != kSeparator; ++row) {
      if (sheet.Pixel(0, row) != marker) baseRow = row;
      bool ink = false;
      for (std::uint32_t x = 1; x < width; ++x) {
        if (sheet.Pixel(x, row) == background) continue;
        ink = true;
        box.left = std::min(box.left, static_cast<std::int32_t>(x));
        box.right = std::max(box.right, static_cast<std::int32_t>(x));
      }
      if (ink) {
        box.top = std::min(box.top, static_cast<std::int32_t>(row));
        box.bottom = std::max(box.bottom, static_cast<std::int32_t>(row));
      }
    }
    ++row;
    box.baseline = static_cast<std::int32_t>(baseRow - box.top + 1);
    boxes.push_back(box);
  }
  return boxes;
}

}  // namespace trovex

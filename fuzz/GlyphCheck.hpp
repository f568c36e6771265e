// The check that glyph boxes cut from a sheet lie inside it, shared by the
// two targets that cut sheets.
#pragma once

#include "FuzzCheck.hpp"
#include "imaging/GlyphBoxes.hpp"

namespace trovex::fuzz {

inline void RequireBoxesInside(const TBitmap& sheet) {
  const std::vector<GlyphBox> boxes = ScanGlyphBoxes(sheet);
  Require(boxes.size() <= sheet.Height(), "no more bands than rows");
  for (const GlyphBox& box : boxes) {
    const bool empty = box.left > box.right || box.top > box.bottom;
    Require(empty || (box.left >= 1 && box.right < static_cast<std::int32_t>(sheet.Width()) && box.top >= 0 &&
                      box.bottom < static_cast<std::int32_t>(sheet.Height())),
            "boxes lie inside the sheet");
  }
}

}  // namespace trovex::fuzz

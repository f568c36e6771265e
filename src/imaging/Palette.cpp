#include "imaging/Palette.hpp"

#include <algorithm>
#include <utility>

namespace trovex {

int PaletteQuadsToTriples(TMemoryStream& stream) {
  std::vector<unsigned char>& bytes = stream.Bytes();
  const std::size_t count = bytes.size() / 4;
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t k = 0; k < 3; ++k) bytes[3 * i + k] = bytes[4 * i + k];
  }
  stream.SetSize(static_cast<std::int64_t>(3 * count));
  stream.SetPosition(0);
  return static_cast<int>(count);
}

void SwapRedBlue(unsigned char* block, std::size_t length) {
  for (std::size_t i = 0; i + 4 <= length; i += 4) {
    std::swap(block[i], block[i + 2]);
    block[i + 3] = 0;
  }
}

TColorTable PaletteFromTriples(int count, const TMemoryStream& stream) {
  TColorTable table{};
  const std::size_t n =
      std::min({static_cast<std::size_t>(std::max(count, 0)), table.size(), stream.Bytes().size() / 3});
  const unsigned char* p = stream.Bytes().data();
  for (std::size_t i = 0; i < n; ++i) table[i] = MakeColor(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
  return table;
}

TColorTable PaletteFromEntries(int count, const unsigned char* entries) {
  TColorTable table{};
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)), table.size());
  for (std::size_t i = 0; i < n; ++i) table[i] = MakeColor(entries[4 * i], entries[4 * i + 1], entries[4 * i + 2]);
  return table;
}

unsigned char TColorMapper::IndexOf(TColor color, int held) {
  if (held >= 0 && held < static_cast<int>(table_.size()) && table_[static_cast<std::size_t>(held)] == color) {
    return static_cast<unsigned char>(held);
  }
  auto [it, added] = nearest_.try_emplace(color, 0);
  if (added) it->second = static_cast<unsigned char>(NearestColorIndex(table_, color));
  return it->second;
}

}  // namespace trovex

// Progress of the TALK handlers' entry loops.
#pragma once

#include <cstdint>

#include "framework/Errors.hpp"
#include "run/RunState.hpp"

namespace trovex {

// Moves Progress to the whole-number percentage of entry index among count
// (100 for a table of one entry) and, when the percentage changes or at the
// last entry, shows verb + "index of count" in the Extracted label. The label
// is not rewritten for every entry: the window shows it only when it pumps.
inline void ShowEntryProgress(RunState& run, const char* verb, std::uint32_t index, std::uint32_t count) {
  const int percent = count <= 1 ? 100 : static_cast<int>(std::uint64_t{index} * 100 / (count - 1));
  if (percent == run.Window.BarPosition(Bar::Progress) && index + 1 != count) return;
  run.Window.SetLabel(Label::Extracted, Format("%s%u of %u", verb, index, count));
  run.SetProgress(percent);
}

}  // namespace trovex

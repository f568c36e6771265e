// KEY index: listing of archive names with their location flags, and the
// update of those flags from the edited listing (format code 2).
#pragma once

#include <cstddef>
#include <string>

#include "run/RunState.hpp"

namespace trovex {

void ExtractKey(RunState& run, const std::string& path);
std::size_t UpdateKeyLocations(RunState& run, const std::string& targetPath, std::size_t startIndex);

}  // namespace trovex

// Extraction of BIFF archives (format code 3).
#pragma once

#include <string>

#include "run/RunState.hpp"

namespace trovex {

// A compressed archive is decompressed whole into a plain archive of the same
// name in the output directory; a plain archive has every entry of an enabled
// kind written below the output directory, each with its target line.
void ExtractBiff(RunState& run, const std::string& path);

}  // namespace trovex

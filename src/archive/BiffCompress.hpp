// Compressed BIFF creation (format code 10).
#pragma once

#include <string>

#include "run/RunState.hpp"

namespace trovex {

// Writes the file at path, cut into 8192-byte blocks each compressed by
// itself, as a compressed archive of the same name in the output directory.
void MakeCompressedBiff(RunState& run, const std::string& path);

}  // namespace trovex

// Insertion of edited resources into a rebuilt BIFF archive (replay, code 3).
#pragma once

#include <cstddef>
#include <string>

#include "run/RunState.hpp"

namespace trovex {

// Rebuilds run.SourceArchive as targetPath with the entries named by the
// target lines from startIndex on replaced; returns the first line not used.
std::size_t InsertBiff(RunState& run, const std::string& targetPath, std::size_t startIndex);

}  // namespace trovex

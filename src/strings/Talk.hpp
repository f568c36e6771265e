// TALK string tables: dump to editable text (format code 6) and rebuild from it.
#pragma once

#include <cstddef>
#include <string>

#include "run/RunState.hpp"

namespace trovex {

void ExtractTalk(RunState& run, const std::string& path);
std::size_t InsertTalk(RunState& run, const std::string& targetPath, std::size_t startIndex);

}  // namespace trovex

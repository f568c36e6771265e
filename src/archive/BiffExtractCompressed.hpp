// Extraction of a compressed archive: decompressed whole into a plain archive
// of the same name in the output directory.
#pragma once

#include <string>

#include "framework/FileStream.hpp"
#include "run/RunState.hpp"

namespace trovex {

// archive is open on the compressed archive at path; its first 8 bytes are
// the compressed archive signature.
void ExtractCompressedBiff(RunState& run, TFileStream& archive, const std::string& path);

}  // namespace trovex

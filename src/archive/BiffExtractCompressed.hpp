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

// Decompresses every block of the compressed archive in archive (named path
// in messages) into output, from the block behind the 12-byte header to the
// end of the stream. A damaged block fails with "Invalid compressed archive
// <path>: block N at offset X: <what>". threads (at least 1) work on the
// blocks. Returns false when the stop mark ended it early.
bool DecompressBiffBlocks(RunState& run, TStream& archive, const std::string& path, TStream& output,
                          unsigned threads);

}  // namespace trovex

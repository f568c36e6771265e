// Helpers shared by the adapter's source files; not for other layers.
#pragma once

#include <cstddef>

#include "compress/Zlib.hpp"

namespace trovex::zlib_detail {

// zlib counts in 32-bit units; larger buffers are handed over in chunks.
inline constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
uInt Chunk(std::size_t count);
// Hands zlib the next chunk of the input when it has used up the last one.
void FeedInput(z_stream& zs, std::size_t& left);
// inflate with Z_NO_FLUSH; a stream that needs a preset dictionary counts as
// corrupt data.
int Inflate(z_stream& zs);

}  // namespace trovex::zlib_detail

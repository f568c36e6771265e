// The zero-run encoding of frame pixels: a byte equal to the run value,
// followed by a count byte n, stands for n + 1 bytes of the run value; any
// other byte stands for itself. The run value is a BAM's header byte 11
// (0 in most files, not in all).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trovex {

// Fills target with at least width × height decoded bytes (the last run may
// pass that by up to 255) and returns the count of source bytes consumed.
// Source data that ends early is decoded as if its last byte (0 before any)
// were repeated. Callers check width × height against the source's size.
std::size_t UnpackZeroRuns(const unsigned char* source, std::size_t size, std::vector<unsigned char>& target,
                           std::uint32_t width, std::uint32_t height, unsigned char runValue);

}  // namespace trovex

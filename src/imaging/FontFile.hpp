// Reading a font whole and checking it, for extraction and insertion.
#pragma once

#include <string>
#include <vector>

#include "framework/Stream.hpp"
#include "imaging/BamFormat.hpp"

namespace trovex {

// The whole file; fonts past 2 GiB cannot be addressed by their offsets.
std::vector<unsigned char> ReadFontFile(const std::string& path);
std::vector<unsigned char> ReadFontStream(TStream& stream, const std::string& path);
// The BAM layout of a font, with at least one frame; a damaged font fails
// with "Invalid font <path>: <what>".
BamLayout ReadFontLayout(const std::vector<unsigned char>& font, const std::string& path);
EFormatError InvalidFont(const std::string& path, const std::string& what);

}  // namespace trovex

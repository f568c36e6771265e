// BAM frames to 8-bit bitmaps and back.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "framework/StringList.hpp"
#include "imaging/BamFormat.hpp"
#include "run/OutputClaims.hpp"

namespace trovex {

inline constexpr const char* kFrameLinePrefix = "#Target BMP: ";

// The colours that frame bitmaps show: the BAM's palette with entry 0 black.
TColorTable FramePalette(const BamLayout& layout);
// The stem without its last character, "_", the frame index in four
// upper-case hexadecimal digits, ".bmp": Images/AREA_0012. and frame 10 give
// Images/AREA_0012_000A.bmp.
std::string FrameBitmapPath(const std::string& stem, std::size_t frame);
// The names of every frame bitmap of a stem, as the run claims them.
OutputSeries FrameBitmapSeries(const std::string& stem);

// Writes one 8-bit bitmap per frame, calling saved (when given) with each
// one's path once it is complete, and returns their paths in frame order.
// The whole BAM is checked before the first bitmap is written; a damaged one
// fails with EFormatError.
std::vector<std::string> BamFramesToBitmaps(const std::vector<unsigned char>& bam, const std::string& stem,
                                            const std::function<void(const std::string& path)>& saved = {});

// Replaces the frames of the BAM from the bitmaps named by the frame lines
// ("#Target BMP: " + path) from index line on, one per frame in frame order,
// and returns the index of the first line not consumed. An 8-bit bitmap with
// the colour table that extraction wrote gives indices as they stand; any
// other is mapped by colour, each pixel keeping the frame's index where it
// shows that index's colour. A frame whose bitmap is missing, or shows the
// frame's size and pixels, keeps its stored bytes and flag (frames that
// shared data still share it); any other frame is stored uncompressed from
// its bitmap. Tables that lay behind the frame data move behind the rebuilt
// data, the header following them. When no frame changes the BAM stays byte
// for byte as it was.
std::size_t BitmapsToBamFrames(std::vector<unsigned char>& bam, const TStringList& lines, std::size_t line);

}  // namespace trovex

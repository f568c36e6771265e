// A BAM extracted to frame bitmaps in a temporary folder, and rebuilt from
// them as a replay of the job log would.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/BamConvert.hpp"
#include "support/TempDir.hpp"

namespace trovex::test {

// The replay lines naming each frame's bitmap, as extraction logs them.
inline TStringList FrameLines(const std::vector<std::string>& paths) {
  TStringList lines;
  for (const auto& path : paths) lines.Add(kFrameLinePrefix + path);
  return lines;
}

struct ExtractedBam {
  TempDir dir;
  std::vector<unsigned char> bam;
  std::vector<std::string> paths;
  explicit ExtractedBam(const std::string& bytes) : bam(bytes.begin(), bytes.end()) {
    paths = BamFramesToBitmaps(bam, dir / "AREA_0012.");
  }
  // Rebuilds the BAM from the bitmaps and checks that every line was consumed.
  std::vector<unsigned char> Rebuilt() const {
    std::vector<unsigned char> copy = bam;
    EXPECT_EQ(BitmapsToBamFrames(copy, FrameLines(paths), 0), paths.size());
    return copy;
  }
};

}  // namespace trovex::test

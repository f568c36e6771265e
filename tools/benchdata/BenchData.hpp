// Makers of large benchmark inputs. Each takes its command-line arguments
// (after the kind word) and returns an exit status.
#pragma once

#include <string>
#include <vector>

namespace trovex::benchdata {

// biff-sounds OUT TOTAL_MIB COUNT: a plain archive of COUNT sound entries.
int MakeBiffSounds(const std::vector<std::string>& args);
// biff-real OUT TOTAL_MIB COUNT TILE_SETS: the same laid out as real archives
// are (tables at the end, padding, tile sets).
int MakeBiffReal(const std::vector<std::string>& args);
// biff-images OUT BAMS MOSES: a plain archive of compressed BAM items of 20
// frames and compressed MOS items of 512 × 512 pixels.
int MakeBiffImages(const std::vector<std::string>& args);
// talk OUT ENTRIES STRING_BYTES: a string table of ENTRIES strings.
int MakeTalk(const std::vector<std::string>& args);
// talk-line OUT MIB: a string table whose middle string is one MIB MiB line.
int MakeTalkLine(const std::vector<std::string>& args);
// key OUT ARCHIVE ENTRIES RESOURCES: a KEY index of sixteen archives and
// RESOURCES resources, which names the ENTRIES sound entries of ARCHIVE.
int MakeKey(const std::vector<std::string>& args);
// mve OUT TOTAL_MIB: a movie with a 16-bit stereo compressed sound track.
int MakeMovie(const std::vector<std::string>& args);

}  // namespace trovex::benchdata

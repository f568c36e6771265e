// The listing of an archive's entries for scripts, and the search of a KEY
// index for a resource name.
#pragma once

#include <string>

#include "archive/KeyResources.hpp"

namespace trovex {

// One line per file entry, then one per tile entry, each ending in "\n":
// entry (hex, at least four digits; a tile entry's is its tile set), resource
// name as extraction writes it (empty when names has none), type number,
// kind word ("-" for types that extraction passes over, "TILE" for tile
// sets), stored size, stored form ("plain", "compressed" or "WAVC") and data
// offset, separated by tabs. A damaged archive fails with "Invalid BIFF
// archive <path>: …"; a compressed archive with the reason that it has no
// table to list.
std::string BiffListing(const std::string& path, const TArchiveNames* names);

// One line per resource of the index at keyPath whose name equals name
// without regard to letter case: name, type number, the archive as the index
// names it ("#N" when its archive table has no entry N), entry (hex; a tile
// set's number for tile resources), separated by tabs and ending in "\n".
std::string FindKeyResources(const std::string& keyPath, const std::string& name);

}  // namespace trovex

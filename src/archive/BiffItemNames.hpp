// The names of an archive's extracted items: numbered by entry
// ("Sounds_001A.acm"), or the resource names that a KEY index gives them
// ("SPCH1234.acm"), without two items of the archive meeting on one path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/BiffFormat.hpp"
#include "archive/KeyResources.hpp"

namespace trovex {

// What the index at keyPath says of the archive at archivePath: its names,
// or, when it does not hold the archive or holds several of its name, the
// Results line that says why the items keep numbered names.
struct KeyNamesOfArchive {
  std::optional<TArchiveNames> names;
  std::string note;
};
KeyNamesOfArchive ReadKeyNamesOfArchive(const std::string& keyPath, const std::string& archivePath);

class TItemNames {
 public:
  // Numbered names only.
  explicit TItemNames(std::string archivePath) : archivePath_(std::move(archivePath)) {}
  // The index's names for the entries of the file table, where it has them.
  TItemNames(std::string archivePath, const TArchiveNames& names, const std::vector<BiffFileEntry>& entries);

  // The stem of entry index's item in folder (e.g. "SPCH1234." or
  // "Sounds_001A."): its file is stem + extension, or for frames (a BAM) the
  // stem without its "." + "_XXXX.bmp". Paths are compared without regard
  // to letter case, as Windows does: a name that an earlier item of the
  // archive took leaves the entry its numbered name, and a numbered name
  // taken too leaves it none; note says which (for none, the reason the
  // entry is skipped).
  struct Choice {
    std::optional<std::string> stem;
    std::string note;  // a Results line, or empty
  };
  Choice Stem(std::uint32_t index, const std::string& folder, const std::string& extension, bool frames);

 private:
  bool Named() const { return !names_.empty(); }
  // The item that already holds the path, if any.
  std::optional<std::uint32_t> Holder(const std::string& folder, const std::string& stem, const std::string& extension,
                                      bool frames) const;
  void Claim(std::uint32_t index, const std::string& folder, const std::string& stem, const std::string& extension,
             bool frames);

  std::string archivePath_;
  std::vector<std::string> names_;  // escaped, per entry; empty: none
  // Folded paths (folder/stem + extension) of single files, and folded
  // folder/base of frame families (base_XXXX.bmp), with the entry holding them.
  std::unordered_map<std::string, std::uint32_t> files_;
  std::unordered_map<std::string, std::uint32_t> families_;
  // Single files whose names look like frames of a family base.
  std::unordered_map<std::string, std::uint32_t> frameLike_;
};

}  // namespace trovex

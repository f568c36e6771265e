#include "archive/KeyResources.hpp"

#include <algorithm>
#include <cstring>
#include <optional>

#include "archive/KeyListing.hpp"
#include "framework/Errors.hpp"

namespace trovex {

namespace {

// The parts of an archive name as the index or the system writes it: folders
// and file name, split at "\" and "/", letter case folded.
std::vector<std::string> FoldedParts(std::string_view name) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = 0; at <= name.size(); ++at) {
    if (at == name.size() || name[at] == '\\' || name[at] == '/') {
      if (at > start) parts.push_back(FoldedName(name.substr(start, at - start)));
      start = at + 1;
    }
  }
  return parts;
}

// How many of the candidate's folders, from the last one back, equal the
// input's last folders; the file names themselves are equal already.
std::size_t MatchingFolders(const std::vector<std::string>& candidate, const std::vector<std::string>& input) {
  std::size_t n = 1;
  while (n < candidate.size() && n < input.size() && candidate[candidate.size() - 1 - n] == input[input.size() - 1 - n])
    ++n;
  return n - 1;
}

bool IsReservedDeviceName(std::string_view name) {
  // Windows ignores what follows the first "." and trailing blanks before it.
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  const std::string folded = FoldedName(name);
  if (folded == "con" || folded == "prn" || folded == "aux" || folded == "nul") return true;
  return folded.size() == 4 && (folded.starts_with("com") || folded.starts_with("lpt")) && folded[3] >= '1' &&
         folded[3] <= '9';
}

bool NeedsEscape(unsigned char c) { return c < 0x20 || c >= 0x7F || std::strchr("\\/:*?\"<>|%", c) != nullptr; }

}  // namespace

std::vector<KeyResourceEntry> ReadKeyResources(const KeyIndex& key, const std::string& path) {
  const std::uint64_t size = key.bytes.size();
  if (size < kKeyResourceTablePointer + 4) {
    throw EFormatError("Invalid KEY index " + path + ": the file is shorter than its 24-byte header");
  }
  const std::uint64_t table = LoadU32(key.bytes.data() + kKeyResourceTablePointer);
  const std::uint64_t count = key.header.resourceCount;
  if (table > size || count > (size - table) / kKeyResourceEntrySize) {
    throw EFormatError(
        Format("Invalid KEY index %s: the resource table of %llu entries at offset %llu lies outside "
               "the file",
               path.c_str(), static_cast<unsigned long long>(count), static_cast<unsigned long long>(table)));
  }
  std::vector<KeyResourceEntry> resources(static_cast<std::size_t>(count));
  const unsigned char* p = key.bytes.data() + table;
  for (auto& resource : resources) {
    std::memcpy(resource.name, p, kResourceNameSize);
    resource.type = LoadU16(p + 8);
    resource.locator = LoadU32(p + 10);
    p += kKeyResourceEntrySize;
  }
  return resources;
}

std::string_view ResourceName(const KeyResourceEntry& entry) {
  const std::string_view name(entry.name, kResourceNameSize);
  return name.substr(0, name.find('\0'));
}

KeyArchiveMatch FindKeyArchive(const KeyIndex& key, const std::string& archivePath) {
  const std::vector<std::string> input = FoldedParts(archivePath);
  KeyArchiveMatch match;
  if (input.empty()) return match;
  // The archives of the input's file name, with the number of their folders
  // when all of them are the input's last folders.
  std::vector<std::pair<std::size_t, std::optional<std::size_t>>> named;
  for (std::size_t i = 0; i < key.entries.size(); ++i) {
    const std::vector<std::string> parts = FoldedParts(ArchiveName(key, i));
    if (parts.empty() || parts.back() != input.back()) continue;
    const std::size_t folders = parts.size() - 1;
    named.emplace_back(i, MatchingFolders(parts, input) == folders ? std::optional(folders) : std::nullopt);
  }
  if (named.empty()) return match;
  std::optional<std::size_t> best;
  for (const auto& [archive, folders] : named) best = std::max(best, folders);
  for (const auto& [archive, folders] : named) {
    // With one archive of that name, its folders do not matter.
    if (named.size() > 1 && folders != best) continue;
    match.archive = archive;
    match.candidates.emplace_back(ArchiveName(key, archive));
  }
  match.outcome = match.candidates.size() == 1 ? KeyArchiveMatch::Outcome::Found : KeyArchiveMatch::Outcome::Ambiguous;
  if (match.outcome == KeyArchiveMatch::Outcome::Found) match.candidates.clear();
  return match;
}

TArchiveNames::TArchiveNames(const std::vector<KeyResourceEntry>& resources, std::size_t archive) {
  for (const auto& resource : resources) {
    if (LocatorArchive(resource.locator) != archive || ResourceName(resource).empty()) continue;
    const std::uint32_t tileSet = LocatorTileSet(resource.locator);
    const std::uint64_t key =
        tileSet != 0 ? Key(true, tileSet, resource.type) : Key(false, LocatorFile(resource.locator), resource.type);
    names_.emplace(key, ResourceName(resource));
  }
}

std::string_view TArchiveNames::Find(std::uint64_t key) const {
  const auto found = names_.find(key);
  return found == names_.end() ? std::string_view() : std::string_view(found->second);
}

std::string_view TArchiveNames::FileName(std::uint32_t locator, std::uint16_t type) const {
  return Find(Key(false, LocatorFile(locator), type));
}

std::string_view TArchiveNames::TileSetName(std::uint32_t locator, std::uint16_t type) const {
  return Find(Key(true, LocatorTileSet(locator), type));
}

std::string EscapedResourceName(std::string_view name) {
  std::size_t kept = name.size();
  while (kept > 0 && (name[kept - 1] == '.' || name[kept - 1] == ' ')) --kept;
  const bool reserved = IsReservedDeviceName(name);
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (NeedsEscape(c) || i >= kept || (i == 0 && reserved)) {
      out += Format("%%%02X", c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace trovex

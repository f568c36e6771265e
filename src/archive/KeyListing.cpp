#include "archive/KeyListing.hpp"

#include <unordered_map>
#include <unordered_set>

#include "framework/Errors.hpp"

namespace trovex {

namespace {

// The capital letters of the code page that have a small letter, by byte:
// A to Z and the Latin-1 capitals (0xC0 to 0xDE but the multiplication sign)
// fold by 0x20; S, OE and Z with caron fold by 0x10; Y with diaeresis (0x9F)
// folds to 0xFF.
unsigned char FoldedByte(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 0x10);
  if (c == 0x9F) return 0xFF;
  return c;
}

// The first line of the listing that equals each folded text.
std::unordered_map<std::string, std::size_t> FirstLines(const TStringList& listing) {
  std::unordered_map<std::string, std::size_t> first;
  first.reserve(listing.Count());
  for (std::size_t h = 0; h < listing.Count(); ++h) first.emplace(FoldedName(listing.Get(h)), h);
  return first;
}

}  // namespace

std::string FoldedName(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = static_cast<char>(FoldedByte(static_cast<unsigned char>(c)));
  return folded;
}

void AppendListingEntry(std::string& out, const KeyIndex& key, std::size_t i, const std::string& path) {
  const std::string_view name = ArchiveName(key, i);
  if (name.find_first_of("\r\n") != std::string_view::npos) {
    throw EFormatError(Format("Invalid KEY index %s: the name of archive %zu holds a line break, which a listing "
                              "cannot hold",
                              path.c_str(), i));
  }
  out.append(name).append("\r\n");
  out.append(FlagsText(key.entries[i].flags)).append("\r\n");
}

ListingUpdate ApplyListing(KeyIndex& key, const TStringList& listing, const std::string& listingPath) {
  const auto first = FirstLines(listing);
  std::vector<std::pair<std::uint64_t, std::uint16_t>> writes;
  std::unordered_set<std::size_t> matched;
  for (std::size_t i = 0; i < key.entries.size(); ++i) {
    const auto found = first.find(FoldedName(ArchiveName(key, i)));
    if (found == first.end()) continue;
    const std::size_t h = found->second;
    if (h + 1 >= listing.Count()) {
      throw EFormatError(Format("Listing %s ends after line %zu: the flags line of %s is missing", listingPath.c_str(),
                                h + 1, listing.Get(h).c_str()));
    }
    matched.insert(h);
    writes.emplace_back(FlagsOffset(key, i), FlagsOfText(listing.Get(h + 1)));
  }
  ListingUpdate update;
  for (const auto& [offset, flags] : writes) {
    unsigned char* field = key.bytes.data() + offset;
    update.changed = update.changed || LoadU16(field) != flags;
    StoreU16(field, flags);
  }
  for (std::size_t h = 0; h < listing.Count(); h += 2) {
    if (matched.contains(h) || listing.Get(h).empty()) continue;
    const std::size_t firstLine = first.at(FoldedName(listing.Get(h)));
    (matched.contains(firstLine) ? update.repeated : update.unmatched).push_back(listing.Get(h));
  }
  return update;
}

}  // namespace trovex

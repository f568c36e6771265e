// A KEY index and a listing. The input is the index's length (two bytes),
// the index, then a listing. The listing made from the index applies back
// without changing a byte when its names tell apart; the fuzzed listing
// changes nothing but flags. The resource table reads whole or is refused,
// every archive of the index is found by its own name, and every resource
// name becomes a file name that both systems hold.
#include <algorithm>
#include <set>

#include "FuzzCheck.hpp"
#include "archive/KeyListing.hpp"
#include "archive/KeyResources.hpp"
#include "framework/Errors.hpp"

using namespace trovex;

namespace {

// Names that only their own listing line can match: pairwise different
// without regard to case, and none that reads like a flags text.
bool NamesTellApart(const KeyIndex& key) {
  std::set<std::string> seen;
  for (std::size_t i = 0; i < key.entries.size(); ++i) {
    const std::string folded = FoldedName(ArchiveName(key, i));
    if (folded.size() == kFlagsTextLength && folded.find_first_not_of("01") == std::string::npos) return false;
    if (!seen.insert(folded).second) return false;
  }
  return true;
}

void CheckOwnListing(KeyIndex key) {
  std::string text;
  try {
    for (std::size_t i = 0; i < key.entries.size(); ++i) AppendListingEntry(text, key, i, "fuzz.key");
  } catch (const EFormatError&) {
    return;
  }
  TStringList listing;
  listing.LoadFromText(text);
  fuzz::Require(listing.Count() == 2 * key.entries.size(), "two lines per archive");
  if (!NamesTellApart(key)) return;
  const std::vector<unsigned char> before = key.bytes;
  const ListingUpdate update = ApplyListing(key, listing, "fuzz.txt");
  fuzz::Require(!update.changed && key.bytes == before, "an unedited listing changes nothing");
  fuzz::Require(update.unmatched.empty(), "every name of its own listing matches");
  fuzz::Require(update.repeated.empty(), "its own listing names each archive once");
}

void CheckFuzzedListing(KeyIndex key, std::string_view text) {
  TStringList listing;
  listing.LoadFromText(text);
  const std::vector<unsigned char> before = key.bytes;
  try {
    ApplyListing(key, listing, "fuzz.txt");
  } catch (const EFormatError&) {
    fuzz::Require(key.bytes == before, "a refused listing changes nothing");
    return;
  }
  std::vector<bool> flags(before.size());
  for (std::size_t i = 0; i < key.entries.size(); ++i) {
    flags[FlagsOffset(key, i)] = flags[FlagsOffset(key, i) + 1] = true;
  }
  for (std::size_t at = 0; at < before.size(); ++at) {
    fuzz::Require(flags[at] || key.bytes[at] == before[at], "only flags change");
  }
}

void CheckResources(const KeyIndex& key) {
  std::vector<KeyResourceEntry> resources;
  try {
    resources = ReadKeyResources(key, "fuzz.key");
  } catch (const EFormatError&) {
    return;
  }
  fuzz::Require(resources.size() == key.header.resourceCount, "every resource of the table is read");
  for (std::size_t i = 0; i < key.entries.size() && i < 16; ++i) {
    const std::string name(ArchiveName(key, i));
    if (name.empty() || name.back() == '\\' || name.back() == '/') continue;
    fuzz::Require(FindKeyArchive(key, name).outcome != KeyArchiveMatch::Outcome::Missing, "an archive finds itself");
  }
  const TArchiveNames names(resources, 0);
  for (const auto& resource : resources) {
    const std::string escaped = EscapedResourceName(ResourceName(resource));
    fuzz::Require(escaped.find_first_of("\\/:*?\"<>|") == std::string::npos, "no character a file name refuses");
    fuzz::Require(escaped.empty() || (escaped.back() != '.' && escaped.back() != ' '), "no trailing dot or blank");
    names.FileName(resource.locator, resource.type);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t keyLength = std::min<std::size_t>(LoadU16(data), size - 2);
  TMemoryStream file = fuzz::MemoryOf(data + 2, keyLength);
  KeyIndex key;
  try {
    key = ReadKeyIndex(file, "fuzz.key");
  } catch (const EFormatError&) {
    return 0;
  }
  CheckResources(key);
  CheckOwnListing(key);
  CheckFuzzedListing(std::move(key), fuzz::TextOf(data + 2 + keyLength, size - 2 - keyLength));
  return 0;
}

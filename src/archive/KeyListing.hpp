// The KEY listing: two text lines per archive, its name and its flags text,
// written from an index and applied back to it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "archive/KeyFormat.hpp"
#include "framework/StringList.hpp"

namespace trovex {

// Appends archive i's name line and flags line, each ending in CR LF. A name
// holding a CR or LF could not be read back as one line: it fails with
// "Invalid KEY index <path>: …" before anything is appended.
void AppendListingEntry(std::string& out, const KeyIndex& key, std::size_t i, const std::string& path);

// Letter case folded in the 8-bit code page: A to Z, the accented capitals
// of Latin-1 and the four capitals of the 0x80 to 0x9F row.
std::string FoldedName(std::string_view text);

// What applying a listing did.
struct ListingUpdate {
  bool changed = false;                // some flags differ from the file's
  std::vector<std::string> unmatched;  // name lines that named no archive
  std::vector<std::string> repeated;   // name lines of an archive whose flags an earlier line gave
};

// Sets the flags of every archive named in the listing, in key.bytes: the
// first line equal to the name without regard to case, name and flags lines
// alike, gives the flags on the line behind it. Every check is made before
// anything changes; a name matched on the listing's last line fails with
// "Listing <listingPath> ends after line N: the flags line of <name> is
// missing".
ListingUpdate ApplyListing(KeyIndex& key, const TStringList& listing, const std::string& listingPath);

}  // namespace trovex

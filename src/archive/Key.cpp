#include "archive/Key.hpp"

#include <unordered_map>

#include "archive/KeyFormat.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

constexpr std::size_t kListingChunk = 64 * 1024;

// Case folding for the name search: 8-bit text without a code page, so only
// the letters A to Z fold.
std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// The first line of the listing that equals each folded text. Name lines and
// flags lines are searched alike.
std::unordered_map<std::string, std::size_t> FirstLines(const TStringList& listing) {
  std::unordered_map<std::string, std::size_t> first;
  first.reserve(listing.Count());
  for (std::size_t h = 0; h < listing.Count(); ++h) first.emplace(Folded(listing.Get(h)), h);
  return first;
}

// Sets the flags of every archive named in the listing, in key.bytes. Every
// check is made here, before anything is written. Returns whether any flags
// changed.
bool ApplyListing(KeyIndex& key, const TStringList& listing) {
  const auto first = FirstLines(listing);
  bool changed = false;
  for (std::size_t i = 0; i < key.entries.size(); ++i) {
    const auto found = first.find(Folded(ArchiveName(key, i)));
    if (found == first.end()) continue;
    const std::uint16_t flags = FlagsOfText(listing.Get(found->second + 1));
    unsigned char* field = key.bytes.data() + FlagsOffset(key, i);
    changed = changed || LoadU16(field) != flags;
    StoreU16(field, flags);
  }
  return changed;
}

}  // namespace

void ExtractKey(RunState& run, const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  const KeyIndex key = ReadKeyIndex(file, path);
  const std::string listingPath = run.OutputPath(ChangeFileExt(FileNamePart(path), ".txt"));
  // The KEY file stays open, so that a listing that would replace it fails.
  TSafeOutput listing(listingPath);
  std::string chunk;
  for (std::size_t i = 0; i < key.entries.size(); ++i) {
    if (run.StopRequested()) return;
    chunk.append(ArchiveName(key, i)).append("\r\n");
    chunk.append(FlagsText(key.entries[i].flags)).append("\r\n");
    if (chunk.size() >= kListingChunk) {
      listing.WriteText(chunk);
      chunk.clear();
    }
  }
  listing.WriteText(chunk);
  listing.Commit();
  run.JobLog.Add(listingPath);
}

std::size_t UpdateKeyLocations(RunState& run, const std::string&, std::size_t startIndex) {
  TStringList listing;
  listing.LoadFromFile(run.ReplayLines.Get(startIndex));
  if (!run.SourceArchive) throw EFOpenError(run.SourcePath);
  KeyIndex key = ReadKeyIndex(*run.SourceArchive, run.SourcePath);
  if (ApplyListing(key, listing)) {
    // The new content is written beside the KEY file and then replaces it.
    TSafeOutput out(run.SourcePath, OutputKind::Replacement);
    out.WriteBuffer(key.bytes.data(), key.bytes.size());
    // Windows replaces no file that is open.
    run.SourceArchive.reset();
    out.Commit();
  }
  return startIndex + 1;
}

}  // namespace trovex

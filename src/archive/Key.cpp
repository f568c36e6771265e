#include "archive/Key.hpp"

#include "archive/KeyFormat.hpp"
#include "archive/KeyListing.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

constexpr std::size_t kListingChunk = 64 * 1024;

}  // namespace

void ExtractKey(RunState& run, const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  const KeyIndex key = ReadKeyIndex(file, path);
  const std::string listingPath = run.OutputPath(ChangeFileExt(FileNamePart(path), ".txt"));
  if (!run.ClaimOutputs(path, {{listingPath}, {}})) return;
  // The KEY file stays open, so that a listing that would replace it fails.
  TSafeOutput listing(listingPath);
  std::string chunk;
  for (std::size_t i = 0; i < key.entries.size(); ++i) {
    if (run.StopRequested()) return;
    AppendListingEntry(chunk, key, i, path);
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
  if (startIndex >= run.ReplayLines.Count()) {
    throw EFormatError(Format("Job log %s ends after line %zu: the listing of %s is missing", run.ReplayLogPath.c_str(),
                              startIndex, run.SourcePath.c_str()));
  }
  const std::string& listingPath = run.ReplayLines.Get(startIndex);
  TStringList listing;
  listing.LoadFromFile(listingPath);
  if (!run.SourceArchive) throw EFOpenError(run.SourcePath);
  KeyIndex key = ReadKeyIndex(*run.SourceArchive, run.SourcePath);
  const ListingUpdate update = ApplyListing(key, listing, listingPath);
  for (const auto& name : update.unmatched) {
    run.Result(name + " is not in " + FileNamePart(run.SourcePath) + "; its flags are not used.");
  }
  for (const auto& name : update.repeated) {
    run.Result(name + " is listed more than once; the flags of its first line are used.");
  }
  if (update.changed) {
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

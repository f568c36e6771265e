// How BIFF insertion settles the data of an entry named by a target line,
// per treatment.
//
// A treatment looks at the file that the target line names and at the entry
// as the source archive stores it, and settles on one Replacement: nothing
// to insert (no file), the stored bytes (the replacement would equal what
// the entry holds), the named file's bytes, or bytes it built in the scratch
// file. The rebuild lays out the archive from these outcomes: only entries
// that get new bytes move anything, and an archive in which no entry gets
// new bytes is written as an exact copy of its source.
//
// A treatment is one function of the TreatEntry form and one row of
// kTreatEntries in the .cpp; BAM and MOS images are rebuilt from bitmaps so.
// It decides equality on what the entry holds (for compressed items, the
// decompressed content, see StoredItemHolds), builds its bytes with
// scratch.Stream() and returns scratch.Built(start); it may read lines of its
// own (frame lines) from input.lines, moving input.next past them. A named
// file it cannot use gives NoFile with the reason. A treatment with heavy
// work (decompressing, converting, compressing) returns Deferred and leaves
// that work to the rebuild's pipeline threads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/BiffFormat.hpp"
#include "framework/FileStream.hpp"
#include "framework/SafeOutput.hpp"
#include "framework/StringList.hpp"

namespace trovex {

enum class Outcome {
  NoFile,     // nothing to insert: the entry keeps its data, and no "inserted." line
  Unchanged,  // the replacement equals what the entry holds: it keeps its stored bytes
  NamedFile,  // the named file's bytes, size of them
  Built,      // size bytes that the treatment built, at offset in the scratch file
  Deferred,   // work, run on a pipeline thread, settles the outcome
};

struct Replacement {
  Outcome outcome = Outcome::NoFile;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  // With NoFile: why the named file could not be used, for the results pane.
  std::string reason = {};
  // With Deferred: the heavy part of a treatment, safe to run on any thread.
  // It returns the outcome; for Built it leaves the bytes to store in bytes
  // (offset and size are then set where they are stored).
  std::function<Replacement(std::vector<unsigned char>& bytes)> work = {};

  bool NewBytes() const { return outcome == Outcome::NamedFile || outcome == Outcome::Built; }
};

// The place for bytes that treatments build: one file without a name in the
// output folder, made on first use and gone when the rebuild ends.
class TScratch {
 public:
  explicit TScratch(std::string namePath) : namePath_(std::move(namePath)) {}
  // The scratch file, positioned at its end.
  TFileStream& Stream();
  // The replacement built from start (an offset Stream() gave) up to the end.
  Replacement Built(std::uint64_t start);
  const TFileStream& File() const { return *file_; }

 private:
  std::string namePath_;
  std::unique_ptr<TSafeOutput> file_;  // never committed
};

// What a treatment works with.
struct TreatmentInput {
  const std::string& path;     // the file named by the target line
  TFileStream& archive;        // the source archive
  const BiffFileEntry& entry;  // the entry as stored; its data lies inside the archive
  TScratch& scratch;
  const TStringList& lines;    // the job log being replayed
  std::size_t& next;           // the index of the line after the target line
};
using TreatEntry = Replacement (*)(const TreatmentInput& input);

// The insertion side of the kind table: the routine of a treatment, or
// nullptr for a treatment that insertion cannot apply (yet).
TreatEntry TreatmentFor(Treatment treatment);

// True when the file holds exactly the size archive bytes from offset.
bool FileHolds(TFileStream& file, const TFileStream& archive, std::uint64_t offset, std::uint64_t size);
// True when the entry is a compressed item ("BAMCV1  ", "MOSCV1  ") whose
// content decompresses to exactly the size bytes of content from its
// position. A damaged item holds nothing.
bool StoredItemHolds(TFileStream& archive, const BiffFileEntry& entry, TStream& content, std::uint64_t size);

}  // namespace trovex

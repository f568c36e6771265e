#include "archive/BiffInsert.hpp"

#include <optional>
#include <vector>

#include "archive/BiffFormat.hpp"
#include "archive/BiffInsertTargets.hpp"
#include "archive/BiffInsertTreatments.hpp"
#include "framework/Errors.hpp"
#include "framework/MemoryStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

// The entry that the walk replaces next, or, with skip set, the last entry
// to be copied before the next target is taken.
struct Target {
  std::uint32_t entry = 0;
  bool skip = true;
  std::string path;
  StoreReplacement store = nullptr;
};

bool IsCompressedSource(TStream& source) {
  char signature[8];
  if (source.Size() < static_cast<std::int64_t>(sizeof signature)) return false;
  source.SetPosition(0);
  source.ReadBuffer(signature, sizeof signature);
  return IsCompressedBiffSignature(signature);
}

EFormatError Unsupported(const std::string& path, const std::string& what) {
  return EFormatError("Unsupported BIFF archive " + path + ": " + what);
}

// The source's file table, after every check that insertion needs: the header
// and the table inside the file, no tile entries, the table at offset 20 (as
// the rebuilt layout has it) and every entry's data inside the file.
std::vector<BiffFileEntry> ReadInsertableTable(TStream& source, const std::string& path, BiffHeader& header) {
  header = ReadCheckedBiffHeader(source, path);
  if (header.tileCount != 0) throw Unsupported(path, "it has tile entries");
  if (header.fileTableOffset != kBiffHeaderSize) throw Unsupported(path, "its file table does not start at offset 20");
  std::vector<BiffFileEntry> table = ReadBiffFileTable(source, header);
  const auto size = static_cast<std::uint64_t>(source.Size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (!EntryDataInside(table[i], size)) throw InvalidBiff(path, Format("data of entry %zu beyond end of file", i));
  }
  return table;
}

// The file table written in one piece: file writes are not buffered.
void WriteTable(TStream& out, const std::vector<BiffFileEntry>& table) {
  TMemoryStream bytes;
  for (const auto& entry : table) WriteBiffFileEntry(bytes, entry);
  out.WriteBuffer(bytes.Data(), bytes.Bytes().size());
}

// Takes the next target from the lines at index on. A line of the section's
// end (or an index beyond the table) ends the walk: every remaining entry is
// copied. Frame lines that no rebuild consumed are passed over.
Target NextTarget(RunState& run, std::size_t& index, std::uint32_t entryCount) {
  const TStringList& lines = run.ReplayLines;
  for (; index < lines.Count(); ++index) {
    const std::string& line = lines.Get(index);
    if (auto parsed = ParseEntryTarget(line)) {
      ++index;
      if (parsed->index >= entryCount) break;
      Target target{static_cast<std::uint32_t>(parsed->index), false, std::move(parsed->path), nullptr};
      const KindTreatment* kind = KindOfWord(parsed->kindWord);
      target.store = kind ? StoreRoutineFor(kind->treatment) : nullptr;
      if (target.store == nullptr) {
        run.Result(
            FileNamePart(target.path) + " not inserted: " +
            (kind ? "kind " + parsed->kindWord + " is not supported." : "unknown kind " + parsed->kindWord + "."));
      }
      target.skip = target.store == nullptr || !PathExists(target.path);
      return target;
    }
    if (!IsFrameLine(line)) break;
  }
  return Target{entryCount - 1, true, {}, nullptr};
}

// Data offsets and sizes are 32-bit: an archive whose entries would not fit
// them is refused rather than written with wrapped values.
std::uint32_t Checked32(std::uint64_t value, const std::string& targetPath) {
  if (value > UINT32_MAX) throw EFormatError("Cannot create file " + targetPath + ": the archive would exceed 4 GiB");
  return static_cast<std::uint32_t>(value);
}

// Unchanged entries whose data lies back to back in the source are copied
// by one kernel call. A run is cut at 64 MiB, so that progress and the stop
// mark are never far away.
class CopyRun {
 public:
  CopyRun(TStream& source, TStream& out) : source_(source), out_(out) {}

  // Queues size bytes from the source's offset to follow what is queued.
  void Add(std::uint64_t offset, std::uint64_t size) {
    if (size == 0) return;
    if (size_ != 0 && offset != start_ + size_) Flush();
    if (size_ == 0) start_ = offset;
    size_ += size;
    if (size_ >= kLongestRun) Flush();
  }
  void Flush() {
    if (size_ == 0) return;
    source_.SetPosition(static_cast<std::int64_t>(start_));
    out_.CopyFrom(source_, static_cast<std::int64_t>(size_));
    size_ = 0;
  }

 private:
  static constexpr std::uint64_t kLongestRun = 64u << 20;
  TStream& source_;
  TStream& out_;
  std::uint64_t start_ = 0;
  std::uint64_t size_ = 0;
};

class ArchiveRebuild {
 public:
  ArchiveRebuild(RunState& run, const std::string& targetPath, std::size_t index)
      : run_(run), source_(*run.SourceArchive), targetPath_(targetPath), index_(index) {}

  // Returns the first line not consumed. A stop abandons the new archive.
  std::size_t Run() {
    table_ = ReadInsertableTable(source_, run_.SourcePath, header_);
    TSafeOutput out(targetPath_);
    run_.Message("Processing " + FileNamePart(targetPath_) + "...");
    run_.StartProgress();
    run_.Pump();
    // The source's header and old table go first, in the same copy run as the
    // data behind them; the table is rewritten once the offsets are known.
    CopyRun copies(source_, out);
    end_ = kBiffHeaderSize + std::uint64_t{header_.fileCount} * kBiffFileEntrySize;
    copies.Add(0, end_);
    std::optional<Target> target;
    for (std::uint32_t j = 0; j < header_.fileCount; ++j) {
      if (run_.StopRequested()) return index_;
      while (!target || target->entry < j) target = NextTarget(run_, index_, header_.fileCount);
      if (target->entry == j && !target->skip) {
        copies.Flush();
        Replace(out, table_[j], *target);
      } else {
        copies.Add(table_[j].dataOffset, table_[j].dataSize);
        table_[j].dataOffset = Checked32(end_, targetPath_);
        end_ += table_[j].dataSize;
      }
      if (target->entry == j) target.reset();
      run_.SetProgress(static_cast<int>((std::uint64_t{j} + 1) * 100 / header_.fileCount));
    }
    copies.Flush();
    out.SetPosition(kBiffHeaderSize);
    WriteTable(out, table_);
    out.Commit();
    run_.SetProgress(100);
    return index_;
  }

 private:
  void Replace(TStream& out, BiffFileEntry& entry, const Target& target) {
    entry.dataOffset = Checked32(end_, targetPath_);
    target.store({target.path, out});
    end_ = static_cast<std::uint64_t>(out.Position());
    entry.dataSize = Checked32(end_ - entry.dataOffset, targetPath_);
    run_.Result(FileNamePart(target.path) + " inserted.");
  }

  RunState& run_;
  TFileStream& source_;
  const std::string& targetPath_;
  std::size_t index_;
  BiffHeader header_{};
  std::vector<BiffFileEntry> table_;
  std::uint64_t end_ = 0;  // where the next entry's data goes
};

}  // namespace

std::size_t InsertBiff(RunState& run, const std::string& targetPath, std::size_t startIndex) {
  if (startIndex >= run.ReplayLines.Count()) return startIndex;
  if (!run.SourceArchive) throw EFOpenError(run.SourcePath);
  if (IsCompressedSource(*run.SourceArchive)) {
    run.Result(FileNamePart(run.SourcePath) + " is a compressed archive; passed over.");
    return startIndex;
  }
  return ArchiveRebuild(run, targetPath, startIndex).Run();
}

}  // namespace trovex

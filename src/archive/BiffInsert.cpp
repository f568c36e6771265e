#include "archive/BiffInsert.hpp"

#include <memory>
#include <optional>
#include <vector>

#include "archive/BiffExtractPipeline.hpp"
#include "archive/BiffFormat.hpp"
#include "archive/BiffInsertTargets.hpp"
#include "archive/BiffInsertTreatments.hpp"
#include "framework/Errors.hpp"
#include "framework/MemoryStream.hpp"
#include "framework/Paths.hpp"
#include "framework/PieceCopy.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

// An entry that a target line names, with the routine of its kind.
struct Target {
  std::uint32_t entry = 0;
  std::string path;
  TreatEntry treat = nullptr;
  std::string refusal;  // for the results pane, when no treatment applies
};

bool IsCompressedSource(TStream& source) {
  char signature[8];
  if (source.Size() < static_cast<std::int64_t>(sizeof signature)) return false;
  source.SetPosition(0);
  source.ReadBuffer(signature, sizeof signature);
  return IsCompressedBiffSignature(signature);
}

// The source's header and tables, after every check that insertion needs:
// the header, both tables and the data of every entry inside the file. The
// tables may lie anywhere; the tile entries follow the file entries.
struct SourceTables {
  BiffHeader header{};
  std::vector<BiffFileEntry> files;
  std::vector<BiffTileEntry> tiles;
};

SourceTables ReadSourceTables(TStream& source, const std::string& path) {
  SourceTables tables;
  tables.header = ReadCheckedBiffHeader(source, path);
  tables.files = ReadBiffFileTable(source, tables.header);
  tables.tiles = ReadBiffTileTable(source, tables.header, path);
  const auto size = static_cast<std::uint64_t>(source.Size());
  for (std::size_t i = 0; i < tables.files.size(); ++i) {
    if (!EntryDataInside(tables.files[i], size)) throw InvalidBiff(path, Format("data of entry %zu beyond end of file", i));
  }
  for (std::size_t i = 0; i < tables.tiles.size(); ++i) {
    if (!TileDataInside(tables.tiles[i], size)) {
      throw InvalidBiff(path, Format("data of tile entry %zu beyond end of file", i));
    }
  }
  return tables;
}

// Takes the next target from the lines at index on; nothing at the end of the
// section (a line of another form, or an index beyond the table, which is
// consumed). Frame lines that no rebuild consumed are passed over. A target
// of a kind that insertion cannot apply carries its line for the results.
std::optional<Target> NextTarget(const TStringList& lines, std::size_t& index, std::uint32_t entryCount,
                                 const std::string& archivePath) {
  for (; index < lines.Count(); ++index) {
    const std::string& line = lines.Get(index);
    if (auto parsed = ParseEntryTarget(line)) {
      ++index;
      if (parsed->index >= entryCount) return std::nullopt;
      Target target{static_cast<std::uint32_t>(parsed->index), std::move(parsed->path), nullptr, {}};
      const KindTreatment* kind = KindOfWord(parsed->kindWord);
      target.treat = kind ? TreatmentFor(kind->treatment) : nullptr;
      if (target.treat == nullptr) {
        target.refusal =
            EntryPlace(archivePath, target.entry) + ": " + FileNamePart(target.path) + " not inserted: " +
            (kind ? "kind " + parsed->kindWord + " is not supported." : "unknown kind " + parsed->kindWord + ".");
      }
      return target;
    }
    if (!IsFrameLine(line)) break;
  }
  return std::nullopt;
}

// Data offsets and sizes are 32-bit: an archive whose entries would not fit
// them is refused rather than written with wrapped values.
std::uint32_t Checked32(std::uint64_t value, const std::string& targetPath) {
  if (value > UINT32_MAX) throw EFormatError("Cannot create file " + targetPath + ": the archive would exceed 4 GiB");
  return static_cast<std::uint32_t>(value);
}

// Unchanged data is copied by the kernel, data that lies back to back in the
// source as one piece. A piece is cut at 64 MiB, so that progress and the
// stop mark are never far away.
class CopyRun {
 public:
  CopyRun(const TFileStream& source, TFileStream& out) : pieces_(source, out) {}

  // Queues size bytes from the source's offset to follow what is queued.
  void Add(std::uint64_t offset, std::uint64_t size) {
    if (size == 0) return;
    if (size_ != 0 && offset != start_ + size_) Cut();
    if (size_ == 0) start_ = offset;
    size_ += size;
    if (size_ >= kLongestRun) Cut();
  }
  // Everything queued is in the new archive.
  void Flush() {
    Cut();
    pieces_.Flush();
  }
  static constexpr std::uint64_t kLongestRun = 64u << 20;

 private:
  void Cut() {
    if (size_ == 0) return;
    pieces_.Add(static_cast<std::int64_t>(start_), static_cast<std::int64_t>(size_));
    size_ = 0;
  }

  TPieceCopy pieces_;
  std::uint64_t start_ = 0;
  std::uint64_t size_ = 0;
};

// The rebuild runs in two passes. The first settles every target's
// replacement (nothing is written yet, so the new archive's size is known
// before its first byte); the second writes either an exact copy of the
// source, when no entry gets new bytes, or the rebuilt layout: the header
// (its file table offset set to 20), the file entries at 20, the tile
// entries behind them, the data of every file entry in table order and then
// that of every tile entry, back to back.
class ArchiveRebuild {
 public:
  ArchiveRebuild(RunState& run, const std::string& targetPath, std::size_t index)
      : run_(run), source_(*run.SourceArchive), targetPath_(targetPath), index_(index),
        scratch_(run.OutputPath("comp.tmp")) {}

  // Returns the first line not consumed. A stop abandons the new archive.
  // The lines for the results pane are shown once the archive is saved.
  std::size_t Run() {
    tables_ = ReadSourceTables(source_, run_.SourcePath);
    TSafeOutput out(targetPath_);
    run_.Message("Processing " + FileNamePart(targetPath_) + "...");
    run_.StartProgress();
    run_.Pump();
    plan_.assign(tables_.files.size(), Planned{});
    if (!Settle()) return index_;
    // The new archive's size is known before its first byte: too large an
    // archive, or one the disk cannot hold, is refused with nothing written.
    auto size = static_cast<std::uint64_t>(source_.Size());
    const std::string tables = changed_ ? NewTables(size) : std::string();
    out.RequireSpace(size);
    const bool written = changed_ ? WriteRebuilt(out, tables, size) : WriteCopy(out);
    if (!written) return index_;
    out.Commit();
    for (const auto& line : results_) run_.Result(line);
    run_.SetProgress(100);
    return index_;
  }

 private:
  struct Planned {
    Replacement replacement;
    std::string path;  // of the named file
  };

  // Walks the target lines in entry order. A target for an entry before the
  // next one (out of order, or the same entry twice) is consumed unused; the
  // walk ends with the section or once the last entry has had its target.
  // Deferred work runs on the pipeline's threads; outcomes are recorded in
  // entry order.
  bool Settle() {
    const auto count = static_cast<std::uint32_t>(tables_.files.size());
    TOrderedPipeline pipeline(PipelineThreads());
    pipeline.WhileWaiting([&run = run_] { run.Pump(); });
    for (std::uint64_t next = 0; next < count;) {
      if (run_.StopRequested()) return false;
      std::optional<Target> target = NextTarget(run_.ReplayLines, index_, count, run_.SourcePath);
      if (!target) break;
      if (target->entry < next) continue;
      next = std::uint64_t{target->entry} + 1;
      if (target->treat == nullptr) {
        pipeline.Submit({[](unsigned) {}, [this, line = std::move(target->refusal)] { results_.push_back(line); }});
        continue;
      }
      auto settled = std::make_shared<Settled>();
      settled->replacement = target->treat(
          {target->path, source_, tables_.files[target->entry], scratch_, run_.ReplayLines, index_});
      auto work = [settled](unsigned) {
        if (settled->replacement.outcome == Outcome::Deferred) {
          settled->replacement = settled->replacement.work(settled->bytes);
        }
      };
      auto record = [this, settled, entry = target->entry, path = std::move(target->path)]() mutable {
        Record(entry, std::move(path), *settled);
      };
      pipeline.Submit({std::move(work), std::move(record)});
    }
    pipeline.Drain();
    return !run_.StopRequested();
  }

  struct Settled {
    Replacement replacement;
    std::vector<unsigned char> bytes;  // built by deferred work
  };

  void Record(std::uint32_t entry, std::string path, Settled& settled) {
    Replacement& replacement = settled.replacement;
    if (replacement.outcome == Outcome::Built && !settled.bytes.empty()) {
      TStream& out = scratch_.Stream();
      const auto start = static_cast<std::uint64_t>(out.Position());
      out.WriteBuffer(settled.bytes.data(), settled.bytes.size());
      replacement = scratch_.Built(start);
    }
    if (replacement.outcome == Outcome::NoFile) {
      if (!replacement.reason.empty()) {
        results_.push_back(EntryPlace(run_.SourcePath, entry) + ": " + FileNamePart(path) +
                           " not inserted: " + replacement.reason + "; the entry keeps its data.");
      }
      return;
    }
    results_.push_back(FileNamePart(path) + " inserted.");
    changed_ = changed_ || replacement.NewBytes();
    plan_[entry] = {replacement, std::move(path)};
    run_.Pump();
  }

  // The source as it is, in runs of the longest copy.
  bool WriteCopy(TFileStream& out) {
    const auto size = static_cast<std::uint64_t>(source_.Size());
    for (std::uint64_t at = 0; at < size; at += CopyRun::kLongestRun) {
      if (run_.StopRequested()) return false;
      const std::uint64_t length = std::min(CopyRun::kLongestRun, size - at);
      out.CopyFromAt(source_, static_cast<std::int64_t>(at), static_cast<std::int64_t>(length));
      ShowProgress(at + length, size);
    }
    return true;
  }

  // The new header and tables, with every offset (and the size of every
  // replaced entry) set; end is the size of the whole new archive.
  std::string NewTables(std::uint64_t& end) const {
    BiffHeader header = tables_.header;
    header.fileTableOffset = kBiffHeaderSize;
    end = header.TablesEnd();
    TMemoryStream bytes;
    WriteBiffHeader(bytes, header);
    for (std::size_t j = 0; j < tables_.files.size(); ++j) {
      BiffFileEntry entry = tables_.files[j];
      entry.dataOffset = Checked32(end, targetPath_);
      if (plan_[j].replacement.NewBytes()) entry.dataSize = Checked32(plan_[j].replacement.size, targetPath_);
      end += entry.dataSize;
      WriteBiffFileEntry(bytes, entry);
    }
    for (BiffTileEntry entry : tables_.tiles) {
      entry.dataOffset = Checked32(end, targetPath_);
      end += entry.DataSize();
      WriteBiffTileEntry(bytes, entry);
    }
    Checked32(end, targetPath_);
    return std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Bytes().size());
  }

  // tables are the new header and tables, end the new archive's size.
  bool WriteRebuilt(TFileStream& out, const std::string& tables, std::uint64_t end) {
    out.WriteText(tables);
    std::uint64_t written = tables.size();
    CopyRun copies(source_, out);
    for (std::size_t j = 0; j < tables_.files.size(); ++j) {
      if (run_.StopRequested()) return false;
      const Replacement& replacement = plan_[j].replacement;
      if (!replacement.NewBytes()) {
        copies.Add(tables_.files[j].dataOffset, tables_.files[j].dataSize);
        written += tables_.files[j].dataSize;
      } else {
        copies.Flush();
        WriteReplacement(out, plan_[j]);
        written += replacement.size;
      }
      ShowProgress(written, end);
    }
    for (const auto& tile : tables_.tiles) copies.Add(tile.dataOffset, tile.DataSize());
    copies.Flush();
    return true;
  }

  void WriteReplacement(TFileStream& out, const Planned& planned) {
    const Replacement& replacement = planned.replacement;
    if (replacement.outcome == Outcome::Built) {
      out.CopyFromAt(scratch_.File(), static_cast<std::int64_t>(replacement.offset),
                     static_cast<std::int64_t>(replacement.size));
      return;
    }
    TFileStream file(planned.path, FileMode::OpenRead);
    out.CopyFrom(file, static_cast<std::int64_t>(replacement.size));
  }

  void ShowProgress(std::uint64_t done, std::uint64_t total) {
    run_.SetProgress(total == 0 ? 100 : static_cast<int>(done * 100 / total));
  }

  RunState& run_;
  TFileStream& source_;
  const std::string& targetPath_;
  std::size_t index_;
  TScratch scratch_;
  SourceTables tables_;
  std::vector<Planned> plan_;
  std::vector<std::string> results_;
  bool changed_ = false;  // some entry gets new bytes
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

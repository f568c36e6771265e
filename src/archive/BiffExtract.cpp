#include "archive/BiffExtract.hpp"

#include <cstring>

#include "archive/BiffExtractCompressed.hpp"
#include "archive/BiffFormat.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

namespace {

// One entry of a plain archive on its way out.
struct EntryJob {
  RunState& run;
  TFileStream& archive;
  const std::string& path;
  std::uint32_t index;
  const BiffFileEntry& entry;
  const KindTreatment& kind;
};

std::string ItemLabel(std::uint32_t index) { return Format("Item %llu", static_cast<unsigned long long>(index) + 1); }

void Skip(const EntryJob& job, const std::string& reason) {
  job.run.Result(ItemLabel(job.index) + " skipped: " + reason);
}

// Copies the entry's bytes from `skip` on to folder/stem.extension below the
// output directory, then reports the item and logs its target line.
void WriteItem(const EntryJob& job, const char* folder, const char* extension, std::uint32_t skip) {
  const std::string folderPath = job.run.OutputPath(folder);
  ForceDirectories(folderPath);
  const std::string target = JoinPath(folderPath, ItemStem(job.path, job.index) + extension);
  TSafeOutput output(target);
  job.archive.SetPosition(std::int64_t{job.entry.dataOffset} + skip);
  output.CopyFrom(job.archive, job.entry.dataSize - skip);
  output.Commit();
  job.run.Result(ItemLabel(job.index) + " extracted sucessfully.");
  job.run.JobLog.Add(TargetLine(job.kind.kindWord, job.index, target));
}

void ExtractRaw(const EntryJob& job) { WriteItem(job, job.kind.folder, job.kind.extension, 0); }

// A "WAVC" sound loses its 28-byte header; anything else is a wave file kept whole.
void ExtractSound(const EntryJob& job) {
  char signature[4] = {};
  if (job.entry.dataSize >= sizeof signature) {
    job.archive.SetPosition(job.entry.dataOffset);
    job.archive.ReadBuffer(signature, sizeof signature);
  }
  if (std::memcmp(signature, "WAVC", 4) != 0) return WriteItem(job, kRiffWaveFolder, kRiffWaveExtension, 0);
  if (job.entry.dataSize < kWavcHeaderSize) return Skip(job, "sound shorter than its 28-byte header.");
  WriteItem(job, job.kind.folder, job.kind.extension, kWavcHeaderSize);
}

// How each treatment writes an entry out. Treatments without a row here are
// not extracted yet: their entries are passed over.
struct EntryWriter {
  Treatment treatment;
  void (*write)(const EntryJob& job);
};
constexpr EntryWriter kEntryWriters[] = {
    {Treatment::Raw, ExtractRaw},
    {Treatment::Sound, ExtractSound},
};

const EntryWriter* WriterOf(Treatment treatment) {
  for (const auto& writer : kEntryWriters) {
    if (writer.treatment == treatment) return &writer;
  }
  return nullptr;
}

void ExtractEntry(RunState& run, TFileStream& archive, const std::string& path, std::uint64_t archiveSize,
                  std::uint32_t index, const BiffFileEntry& entry) {
  const KindTreatment* kind = KindOfType(entry.type);
  if (kind == nullptr || (run.ExtractKinds & kind->extractKind) == 0) return;
  const EntryWriter* writer = WriterOf(kind->treatment);
  if (writer == nullptr) return;
  const EntryJob job{run, archive, path, index, entry, *kind};
  if (!EntryDataInside(entry, archiveSize)) return Skip(job, "data beyond end of archive.");
  writer->write(job);
}

void ExtractPlainBiff(RunState& run, TFileStream& archive, const std::string& path) {
  const BiffHeader header = ReadCheckedBiffHeader(archive, path);
  const std::vector<BiffFileEntry> entries = ReadBiffFileTable(archive, header);
  const auto size = static_cast<std::uint64_t>(archive.Size());
  for (std::uint32_t index = 0; index < entries.size(); ++index) {
    if (run.StopRequested()) return;
    ExtractEntry(run, archive, path, size, index, entries[index]);
    run.SetProgress(static_cast<int>(std::uint64_t{index} * 100 / entries.size()));
  }
}

}  // namespace

void ExtractBiff(RunState& run, const std::string& path) {
  TFileStream archive(path, FileMode::OpenRead);
  char signature[8] = {};
  const bool compressed =
      archive.Read(signature, sizeof signature) == sizeof signature && IsCompressedBiffSignature(signature);
  run.Message("Processing " + FileNamePart(path) + "...");
  run.StartProgress();
  run.Pump();
  if (compressed) {
    ExtractCompressedBiff(run, archive, path);
  } else {
    ExtractPlainBiff(run, archive, path);
  }
}

}  // namespace trovex

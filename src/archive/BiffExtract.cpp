#include "archive/BiffExtract.hpp"

#include <cstring>

#include "archive/BiffExtractCompressed.hpp"
#include "archive/BiffExtractItems.hpp"
#include "archive/BiffFormat.hpp"
#include "archive/BiffImageItems.hpp"
#include "archive/BiffItemNames.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "imaging/BamConvert.hpp"
#include "imaging/MosConvert.hpp"

namespace trovex {

namespace {

// Where one entry of a plain archive goes, planned before anything of the
// archive is written.
struct EntryPlan {
  std::uint32_t index = 0;
  const KindTreatment* kind = nullptr;
  // Its file is stem + extension in folder (for a BAM, the frame bitmaps of
  // the stem); a copy takes length bytes from offset.
  const char* folder = nullptr;
  const char* extension = nullptr;
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
  std::string skip;  // why the entry is passed over, when it is
  // The stem's path below the output directory.
  std::string stem;
  std::string note;  // a Results line about its name, or empty
};

// One entry of a plain archive on its way out.
struct EntryJob {
  TFileStream& archive;
  TItemWriter& items;
  std::uint32_t index;
  const BiffFileEntry& entry;
  const KindTreatment& kind;
  const EntryPlan& plan;
};

// A "WAVC" sound loses its 28-byte header; anything else is a wave file kept whole.
void PlanSound(TFileStream& archive, const BiffFileEntry& entry, EntryPlan& plan) {
  char signature[4] = {};
  if (entry.dataSize >= sizeof signature) archive.ReadBufferAt(entry.dataOffset, signature, sizeof signature);
  if (std::memcmp(signature, "WAVC", 4) != 0) {
    plan.folder = kRiffWaveFolder;
    plan.extension = kRiffWaveExtension;
  } else if (entry.dataSize < kWavcHeaderSize) {
    plan.skip = "sound shorter than its 28-byte header.";
  } else {
    plan.offset += kWavcHeaderSize;
    plan.length -= kWavcHeaderSize;
  }
}

EntryPlan PlanEntry(TFileStream& archive, std::uint64_t archiveSize, std::uint32_t index, const BiffFileEntry& entry,
                    const KindTreatment& kind) {
  EntryPlan plan{index, &kind, kind.folder, kind.extension, entry.dataOffset, entry.dataSize, {}, {}, {}};
  if (!EntryDataInside(entry, archiveSize)) {
    plan.skip = "data beyond end of archive.";
  } else if (kind.treatment == Treatment::Sound) {
    PlanSound(archive, entry, plan);
  }
  return plan;
}

bool WritesFrames(const EntryPlan& plan) { return plan.kind->treatment == Treatment::CompressedBam; }

// The entry's name, from the archive's item names, and the names that its
// files take.
void NameEntry(const RunState& run, TItemNames& itemNames, EntryPlan& plan, OutputPlan& names) {
  if (!plan.skip.empty()) return;
  const TItemNames::Choice choice = itemNames.Stem(plan.index, plan.folder, plan.extension, WritesFrames(plan));
  if (!choice.stem) {
    plan.skip = choice.note;  // no name left: skipped, and counted so
    return;
  }
  plan.note = choice.note;
  plan.stem = JoinPath(run.OutputPath(plan.folder), *choice.stem);
  if (WritesFrames(plan)) {
    names.series.push_back(FrameBitmapSeries(plan.stem));
  } else {
    names.files.push_back(plan.stem + plan.extension);
  }
}

void ExtractCopy(const EntryJob& job) {
  job.items.Write(job.index, job.kind.kindWord, job.plan.folder, job.plan.stem + job.plan.extension, job.plan.offset,
                  job.plan.length);
}

// A BAM, plain or compressed, becomes one bitmap per frame, logged behind
// its IMAGE line.
void ExtractBam(const EntryJob& job) {
  job.items.Folder(job.plan.folder);
  job.items.Convert(job.index, "Extracting frames...",
                    [&archive = job.archive, entry = job.entry, index = job.index, stem = job.plan.stem](
                        TBufferDecompressor& inflater, const TItemWriter::FileSaved& saved) {
                      const ImageItem item =
                          OpenImageItem(ReadEntryBytes(archive, entry.dataOffset, entry.dataSize), kBamItem, inflater);
                      std::vector<std::string> lines = {TargetLine("IMAGE", index, "Frames Data")};
                      for (const auto& path : BamFramesToBitmaps(item.content, stem, saved))
                        lines.push_back(kFrameLinePrefix + path);
                      return lines;
                    });
}

// A MOS, plain or compressed, becomes one 24-bit bitmap.
void ExtractMos(const EntryJob& job) {
  job.items.Folder(job.plan.folder);
  const std::string path = job.plan.stem + job.plan.extension;
  job.items.Convert(job.index, "",
                    [&archive = job.archive, entry = job.entry, index = job.index, path](
                        TBufferDecompressor& inflater, const TItemWriter::FileSaved& saved) {
                      const ImageItem item =
                          OpenImageItem(ReadEntryBytes(archive, entry.dataOffset, entry.dataSize), kMosItem, inflater);
                      SaveBitmapFile(MosToBitmap(item.content), path);
                      saved(path);
                      return std::vector<std::string>{TargetLine("MOS", index, path)};
                    });
}

// How each treatment writes an entry out.
struct EntryWriter {
  Treatment treatment;
  void (*write)(const EntryJob& job);
};
constexpr EntryWriter kEntryWriters[] = {
    {Treatment::Raw, ExtractCopy},
    {Treatment::Sound, ExtractCopy},
    {Treatment::CompressedBam, ExtractBam},
    {Treatment::CompressedMos, ExtractMos},
};

const EntryWriter* WriterOf(Treatment treatment) {
  for (const auto& writer : kEntryWriters) {
    if (writer.treatment == treatment) return &writer;
  }
  return nullptr;
}

// The entries of an enabled kind that extraction has a writer for.
std::vector<EntryPlan> PlanEntries(const RunState& run, TFileStream& archive,
                                   const std::vector<BiffFileEntry>& entries) {
  const auto size = static_cast<std::uint64_t>(archive.Size());
  std::vector<EntryPlan> plans;
  for (std::uint32_t index = 0; index < entries.size(); ++index) {
    const KindTreatment* kind = KindOfType(entries[index].type);
    if (kind == nullptr || (run.ExtractKinds & kind->extractKind) == 0 || WriterOf(kind->treatment) == nullptr) {
      continue;
    }
    plans.push_back(PlanEntry(archive, size, index, entries[index], *kind));
  }
  return plans;
}

// The items' names: from the run's index when it has one and it holds the
// archive, numbered otherwise.
TItemNames ItemNamesOf(RunState& run, const std::string& path, const std::vector<BiffFileEntry>& entries) {
  if (run.KeyPath.empty()) return TItemNames(path);
  const KeyNamesOfArchive key = ReadKeyNamesOfArchive(run.KeyPath, path);
  if (!key.names) {
    run.Result(key.note);
    return TItemNames(path);
  }
  return TItemNames(path, *key.names, entries);
}

void ExtractPlanned(TFileStream& archive, TItemWriter& items, const BiffFileEntry& entry, const EntryPlan& plan) {
  if (!plan.note.empty()) items.Note(plan.index, plan.note);
  if (!plan.skip.empty()) {
    items.Skip(plan.index, plan.skip);
  } else {
    WriterOf(plan.kind->treatment)->write({archive, items, plan.index, entry, *plan.kind, plan});
  }
}

// Every entry of an enabled kind is written, once the names of all of them
// are chosen and claimed for the archive; a stop keeps the items already
// under way, each with its lines, and queues no more.
void ExtractPlainBiff(RunState& run, TFileStream& archive, const std::string& path) {
  const BiffHeader header = ReadCheckedBiffHeader(archive, path);
  const std::vector<BiffFileEntry> entries = ReadBiffFileTable(archive, header);
  std::vector<EntryPlan> plans = PlanEntries(run, archive, entries);
  TItemNames itemNames = ItemNamesOf(run, path, entries);
  OutputPlan names;
  for (EntryPlan& plan : plans) NameEntry(run, itemNames, plan, names);
  if (!run.ClaimOutputs(path, names)) return;
  TItemWriter items(run, archive, path);
  auto plan = plans.begin();
  for (std::uint32_t index = 0; index < entries.size() && !run.StopRequested(); ++index) {
    if (plan != plans.end() && plan->index == index) {
      ExtractPlanned(archive, items, entries[index], *plan);
      ++plan;
    }
    run.SetProgress(static_cast<int>(std::uint64_t{index} * 100 / entries.size()));
  }
  items.Finish();
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

#include "archive/BiffExtract.hpp"

#include <cstring>

#include "archive/BiffExtractCompressed.hpp"
#include "archive/BiffExtractItems.hpp"
#include "archive/BiffFormat.hpp"
#include "archive/BiffImageItems.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "imaging/BamConvert.hpp"
#include "imaging/MosConvert.hpp"

namespace trovex {

namespace {

// One entry of a plain archive on its way out, planned before anything of
// the archive is written.
struct EntryJob {
  std::uint32_t index = 0;
  BiffFileEntry entry{};
  const KindTreatment* kind = nullptr;
  // Its file goes to folder/stem + extension (a BAM's frame bitmaps to
  // folder/stem without its "." + "_" + frame number + ".bmp").
  const char* folder = nullptr;
  const char* extension = nullptr;
  // A copy takes length bytes from offset.
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
  std::string skip;  // why the entry is passed over, when it is
};

// A "WAVC" sound loses its 28-byte header; anything else is a wave file kept whole.
void PlanSound(const TFileStream& archive, EntryJob& job) {
  char signature[4] = {};
  if (job.entry.dataSize >= sizeof signature) archive.ReadBufferAt(job.entry.dataOffset, signature, sizeof signature);
  if (std::memcmp(signature, "WAVC", 4) != 0) {
    job.folder = kRiffWaveFolder;
    job.extension = kRiffWaveExtension;
  } else if (job.entry.dataSize < kWavcHeaderSize) {
    job.skip = "sound shorter than its 28-byte header.";
  } else {
    job.offset += kWavcHeaderSize;
    job.length -= kWavcHeaderSize;
  }
}

EntryJob PlanEntry(const TFileStream& archive, std::uint64_t archiveSize, std::uint32_t index,
                   const BiffFileEntry& entry, const KindTreatment& kind) {
  EntryJob job{index, entry, &kind, kind.folder, kind.extension, entry.dataOffset, entry.dataSize, {}};
  if (!EntryDataInside(entry, archiveSize)) {
    job.skip = "data beyond end of archive.";
  } else if (kind.treatment == Treatment::Sound) {
    PlanSound(archive, job);
  }
  return job;
}

// The names that the entry's files take.
void AddOutputNames(const TItemWriter& items, const EntryJob& job, OutputPlan& plan) {
  if (!job.skip.empty()) return;
  const std::string stem = items.ItemPath(job.folder, job.index);
  if (job.kind->treatment == Treatment::CompressedBam) {
    plan.series.push_back(FrameBitmapSeries(stem));
  } else {
    plan.files.push_back(stem + job.extension);
  }
}

void ExtractCopy(TFileStream&, TItemWriter& items, const EntryJob& job) {
  items.Write(job.index, job.kind->kindWord, job.folder, job.extension, job.offset, job.length);
}

// A BAM, plain or compressed, becomes one bitmap per frame, logged behind
// its IMAGE line.
void ExtractBam(TFileStream& archive, TItemWriter& items, const EntryJob& job) {
  items.Folder(job.folder);
  const std::string stem = items.ItemPath(job.folder, job.index);
  items.Convert(job.index, "Extracting frames...",
                [&archive, entry = job.entry, index = job.index, stem](TBufferDecompressor& inflater,
                                                                       const TItemWriter::FileSaved& saved) {
                  const ImageItem item =
                      OpenImageItem(ReadEntryBytes(archive, entry.dataOffset, entry.dataSize), kBamItem, inflater);
                  std::vector<std::string> lines = {TargetLine("IMAGE", index, "Frames Data")};
                  for (const auto& path : BamFramesToBitmaps(item.content, stem, saved))
                    lines.push_back(kFrameLinePrefix + path);
                  return lines;
                });
}

// A MOS, plain or compressed, becomes one 24-bit bitmap.
void ExtractMos(TFileStream& archive, TItemWriter& items, const EntryJob& job) {
  items.Folder(job.folder);
  const std::string path = items.ItemPath(job.folder, job.index) + job.extension;
  items.Convert(job.index, "",
                [&archive, entry = job.entry, index = job.index, path](TBufferDecompressor& inflater,
                                                                       const TItemWriter::FileSaved& saved) {
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
  void (*write)(TFileStream& archive, TItemWriter& items, const EntryJob& job);
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
std::vector<EntryJob> PlanEntries(const RunState& run, TFileStream& archive,
                                  const std::vector<BiffFileEntry>& entries) {
  const auto size = static_cast<std::uint64_t>(archive.Size());
  std::vector<EntryJob> jobs;
  for (std::uint32_t index = 0; index < entries.size(); ++index) {
    const KindTreatment* kind = KindOfType(entries[index].type);
    if (kind == nullptr || (run.ExtractKinds & kind->extractKind) == 0 || WriterOf(kind->treatment) == nullptr) {
      continue;
    }
    jobs.push_back(PlanEntry(archive, size, index, entries[index], *kind));
  }
  return jobs;
}

// Every entry of an enabled kind is written, once the names of all of them
// are claimed for the archive; a stop keeps the items already under way,
// each with its lines, and queues no more.
void ExtractPlainBiff(RunState& run, TFileStream& archive, const std::string& path) {
  const BiffHeader header = ReadCheckedBiffHeader(archive, path);
  const std::vector<BiffFileEntry> entries = ReadBiffFileTable(archive, header);
  const std::vector<EntryJob> jobs = PlanEntries(run, archive, entries);
  TItemWriter items(run, archive, path);
  OutputPlan names;
  for (const EntryJob& job : jobs) AddOutputNames(items, job, names);
  if (!run.ClaimOutputs(path, names)) return;
  auto job = jobs.begin();
  for (std::uint32_t index = 0; index < entries.size() && !run.StopRequested(); ++index) {
    if (job != jobs.end() && job->index == index) {
      if (!job->skip.empty()) {
        items.Skip(index, job->skip);
      } else {
        WriterOf(job->kind->treatment)->write(archive, items, *job);
      }
      ++job;
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

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

// One entry of a plain archive on its way out.
struct EntryJob {
  TFileStream& archive;
  TItemWriter& items;
  std::uint32_t index;
  const BiffFileEntry& entry;
  const KindTreatment& kind;
};

void ExtractRaw(const EntryJob& job) {
  job.items.Write(job.index, job.kind.kindWord, job.kind.folder, job.kind.extension, job.entry.dataOffset,
                  job.entry.dataSize);
}

// A "WAVC" sound loses its 28-byte header; anything else is a wave file kept whole.
void ExtractSound(const EntryJob& job) {
  char signature[4] = {};
  if (job.entry.dataSize >= sizeof signature) {
    job.archive.ReadBufferAt(job.entry.dataOffset, signature, sizeof signature);
  }
  if (std::memcmp(signature, "WAVC", 4) != 0) {
    job.items.Write(job.index, job.kind.kindWord, kRiffWaveFolder, kRiffWaveExtension, job.entry.dataOffset,
                    job.entry.dataSize);
  } else if (job.entry.dataSize < kWavcHeaderSize) {
    job.items.Skip(job.index, "sound shorter than its 28-byte header.");
  } else {
    job.items.Write(job.index, job.kind.kindWord, job.kind.folder, job.kind.extension,
                    std::uint64_t{job.entry.dataOffset} + kWavcHeaderSize, job.entry.dataSize - kWavcHeaderSize);
  }
}

// A BAM, plain or compressed, becomes one bitmap per frame, logged behind
// its IMAGE line.
void ExtractBam(const EntryJob& job) {
  const auto named = job.items.ItemPath(job.kind.folder, job.index, job.kind.extension, true);
  if (!named) return;
  const std::string stem = *named;
  job.items.Convert(job.index, "Extracting frames...",
                    [&archive = job.archive, entry = job.entry, index = job.index, stem](
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
  const auto stem = job.items.ItemPath(job.kind.folder, job.index, job.kind.extension, false);
  if (!stem) return;
  const std::string path = *stem + job.kind.extension;
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
    {Treatment::Raw, ExtractRaw},
    {Treatment::Sound, ExtractSound},
    {Treatment::CompressedBam, ExtractBam},
    {Treatment::CompressedMos, ExtractMos},
};

const EntryWriter* WriterOf(Treatment treatment) {
  for (const auto& writer : kEntryWriters) {
    if (writer.treatment == treatment) return &writer;
  }
  return nullptr;
}

void ExtractEntry(const RunState& run, TFileStream& archive, TItemWriter& items, std::uint64_t archiveSize,
                  std::uint32_t index, const BiffFileEntry& entry) {
  const KindTreatment* kind = KindOfType(entry.type);
  if (kind == nullptr || (run.ExtractKinds & kind->extractKind) == 0) return;
  const EntryWriter* writer = WriterOf(kind->treatment);
  if (writer == nullptr) return;
  if (!EntryDataInside(entry, archiveSize)) return items.Skip(index, "data beyond end of archive.");
  writer->write({archive, items, index, entry, *kind});
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

// Every entry of an enabled kind is written; a stop keeps the items already
// under way, each with its lines, and queues no more.
void ExtractPlainBiff(RunState& run, TFileStream& archive, const std::string& path) {
  const BiffHeader header = ReadCheckedBiffHeader(archive, path);
  const std::vector<BiffFileEntry> entries = ReadBiffFileTable(archive, header);
  const auto size = static_cast<std::uint64_t>(archive.Size());
  TItemNames names = ItemNamesOf(run, path, entries);
  TItemWriter items(run, archive, path, names);
  for (std::uint32_t index = 0; index < entries.size() && !run.StopRequested(); ++index) {
    ExtractEntry(run, archive, items, size, index, entries[index]);
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

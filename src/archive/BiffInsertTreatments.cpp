#include "archive/BiffInsertTreatments.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "archive/BiffImageItems.hpp"
#include "archive/BiffInsertTargets.hpp"
#include "compress/Zlib.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/MemoryStream.hpp"
#include "framework/Paths.hpp"
#include "imaging/BamConvert.hpp"
#include "imaging/MosConvert.hpp"

namespace trovex {

namespace {

constexpr std::size_t kCompareChunk = std::size_t{256} << 10;

// True when both streams give the same count bytes from their positions.
// A stream that ends early (a damaged item) differs.
template <class ReadOther>
bool SameBytes(TStream& stream, std::uint64_t count, ReadOther readOther) {
  std::vector<unsigned char> mine(static_cast<std::size_t>(std::min<std::uint64_t>(count, kCompareChunk)));
  std::vector<unsigned char> other(mine.size());
  for (std::uint64_t done = 0; done < count;) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, mine.size()));
    if (!readOther(other.data(), done, chunk)) return false;
    stream.ReadBuffer(mine.data(), chunk);
    if (std::memcmp(mine.data(), other.data(), chunk) != 0) return false;
    done += chunk;
  }
  return true;
}

// The named file's bytes, or the stored bytes when the file holds what the
// entry holds.
Replacement TreatRaw(const TreatmentInput& input) {
  if (!PathExists(input.path)) return {};
  TFileStream file(input.path, FileMode::OpenRead);
  const auto size = static_cast<std::uint64_t>(file.Size());
  if (size == input.entry.dataSize && FileHolds(file, input.archive, input.entry.dataOffset, size)) {
    return {Outcome::Unchanged};
  }
  return {Outcome::NamedFile, 0, size};
}

// As raw; a file equal to the ACM payload that extraction wrote for a WAVC
// item keeps the item, header included. An edited sound goes back as the
// file's bytes, without a WAVC header; the game reads both.
Replacement TreatSound(const TreatmentInput& input) {
  const Replacement raw = TreatRaw(input);
  if (raw.outcome != Outcome::NamedFile || input.entry.dataSize < kWavcHeaderSize) return raw;
  char signature[4];
  input.archive.ReadBufferAt(input.entry.dataOffset, signature, sizeof signature);
  if (std::memcmp(signature, "WAVC", 4) != 0 || raw.size != input.entry.dataSize - kWavcHeaderSize) return raw;
  TFileStream file(input.path, FileMode::OpenRead);
  const bool payload = FileHolds(file, input.archive, std::uint64_t{input.entry.dataOffset} + kWavcHeaderSize, raw.size);
  return payload ? Replacement{Outcome::Unchanged} : raw;
}

// The named file, a plain BAM, stored whole as a "BAMCV1  " item, unless the
// entry already holds it, in compressed form or as it is.
Replacement TreatCompressFile(const TreatmentInput& input) {
  if (!PathExists(input.path)) return {};
  TFileStream file(input.path, FileMode::OpenRead);
  const std::int64_t size = file.Size();
  if (size > static_cast<std::int64_t>(UINT32_MAX)) {
    throw EFormatError("Cannot insert " + input.path + ": a compressed item holds at most 4 GiB");
  }
  if (StoredItemHolds(input.archive, input.entry, file, static_cast<std::uint64_t>(size)) ||
      FileHolds(file, input.archive, input.entry.dataOffset, input.entry.dataSize)) {
    return {Outcome::Unchanged};
  }
  file.SetPosition(0);
  TStream& out = input.scratch.Stream();
  const auto start = static_cast<std::uint64_t>(out.Position());
  CompressedItemHeader header{};
  std::memcpy(header.signature, kCompressedBamSignature, sizeof header.signature);
  header.uncompressedLength = static_cast<std::uint32_t>(size);
  WriteCompressedItemHeader(out, header);
  TCompressionStream zip(cmlFast, out);
  zip.CopyFrom(file, size);
  zip.Finish();
  return input.scratch.Built(start);
}

// What a format error makes of an image entry: it keeps its data, and the
// results pane says why.
Replacement KeptBecause(const std::exception& error) { return {Outcome::NoFile, 0, 0, error.what()}; }

// The image entry's content rebuilt by rebuild (on a pipeline thread) and
// stored in the form the entry had, or the stored bytes when the rebuild
// changed nothing.
template <class Rebuild>
Replacement DeferImage(const TreatmentInput& input, const ImageItemKind& kind, Rebuild rebuild) {
  Replacement deferred{Outcome::Deferred};
  deferred.work = [&archive = input.archive, entry = input.entry, &kind, rebuild](std::vector<unsigned char>& bytes) {
    try {
      TBufferDecompressor inflater;
      ImageItem item = OpenImageItem(ReadEntryBytes(archive, entry.dataOffset, entry.dataSize), kind, inflater);
      const std::vector<unsigned char> old = item.content;
      rebuild(item.content);
      if (item.content == old) return Replacement{Outcome::Unchanged};
      TMemoryStream out;
      StoreImageItem(out, kind, item);
      bytes = std::move(out.Bytes());
      return Replacement{Outcome::Built};
    } catch (const EFormatError& error) {
      return KeptBecause(error);
    }
  };
  return deferred;
}

// A BAM whose frames are replaced from the bitmaps that its frame lines name.
// The entry keeps its data when none of them exists.
Replacement TreatBam(const TreatmentInput& input) {
  const std::size_t first = input.next;
  std::size_t end = first;
  bool anyBitmap = false;
  for (; end < input.lines.Count() && IsFrameLine(input.lines.Get(end)); ++end) {
    anyBitmap = anyBitmap || PathExists(input.lines.Get(end).substr(std::string_view(kFrameLinePrefix).size()));
  }
  // Frame lines beyond the BAM's frames are passed over like any unused frame line.
  input.next = end;
  if (!anyBitmap) return {};
  return DeferImage(input, kBamItem, [&lines = input.lines, first](std::vector<unsigned char>& bam) {
    BitmapsToBamFrames(bam, lines, first);
  });
}

// A MOS whose tiles are rewritten from the named bitmap.
Replacement TreatMos(const TreatmentInput& input) {
  if (!PathExists(input.path)) return {};
  return DeferImage(input, kMosItem,
                    [path = input.path](std::vector<unsigned char>& mos) { BitmapToMos(mos, LoadBitmapFile(path)); });
}

struct TreatmentRow {
  Treatment treatment;
  TreatEntry treat;
};

constexpr TreatmentRow kTreatEntries[] = {
    {Treatment::Raw, TreatRaw},
    {Treatment::Sound, TreatSound},
    {Treatment::CompressFile, TreatCompressFile},
    {Treatment::CompressedBam, TreatBam},
    {Treatment::CompressedMos, TreatMos},
};

}  // namespace

TFileStream& TScratch::Stream() {
  if (!file_) file_ = std::make_unique<TSafeOutput>(namePath_);
  file_->Seek(0, soEnd);
  return *file_;
}

Replacement TScratch::Built(std::uint64_t start) {
  const auto end = static_cast<std::uint64_t>(Stream().Position());
  return {Outcome::Built, start, end - start};
}

TreatEntry TreatmentFor(Treatment treatment) {
  const auto row = std::find_if(std::begin(kTreatEntries), std::end(kTreatEntries),
                                [treatment](const TreatmentRow& r) { return r.treatment == treatment; });
  return row == std::end(kTreatEntries) ? nullptr : row->treat;
}

bool FileHolds(TFileStream& file, const TFileStream& archive, std::uint64_t offset, std::uint64_t size) {
  file.SetPosition(0);
  if (static_cast<std::uint64_t>(file.Size()) != size) return false;
  return SameBytes(file, size, [&](unsigned char* to, std::uint64_t done, std::size_t chunk) {
    archive.ReadBufferAt(static_cast<std::int64_t>(offset + done), to, chunk);
    return true;
  });
}

bool StoredItemHolds(TFileStream& archive, const BiffFileEntry& entry, TStream& content, std::uint64_t size) {
  constexpr std::uint32_t kItemHeaderSize = 12;
  if (entry.dataSize < kItemHeaderSize) return false;
  archive.SetPosition(entry.dataOffset);
  const CompressedItemHeader header = ReadCompressedItemHeader(archive);
  const auto signedAs = [&header](const char* signature) {
    return std::memcmp(header.signature, signature, sizeof header.signature) == 0;
  };
  if (!signedAs(kCompressedBamSignature) && !signedAs(kCompressedMosSignature)) return false;
  if (header.uncompressedLength != size) return false;
  try {
    TDecompressionStream stored(archive);
    return SameBytes(content, size, [&](unsigned char* to, std::uint64_t, std::size_t chunk) {
      return stored.Read(to, chunk) == chunk;
    });
  } catch (const EZlibError&) {
    return false;
  }
}

}  // namespace trovex

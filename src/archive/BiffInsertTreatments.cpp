#include "archive/BiffInsertTreatments.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "compress/Zlib.hpp"
#include "framework/FileStream.hpp"

namespace trovex {

namespace {

// The named file's bytes, unchanged. A sound extracted from a WAVC item goes
// back as its ACM payload, without the 28-byte header; the game reads both.
void StoreFileBytes(const Replacement& replacement) {
  TFileStream file(replacement.path, FileMode::OpenRead);
  replacement.out.CopyFrom(file, file.Size());
}

// The named file, a plain BAM, stored whole as a "BAMCV1  " item.
void StoreCompressedBam(const Replacement& replacement) {
  TFileStream file(replacement.path, FileMode::OpenRead);
  const std::int64_t size = file.Size();
  if (size > static_cast<std::int64_t>(UINT32_MAX)) {
    throw EFormatError("Cannot insert " + replacement.path + ": a compressed item holds at most 4 GiB");
  }
  CompressedItemHeader header{};
  std::memcpy(header.signature, kCompressedBamSignature, sizeof header.signature);
  header.uncompressedLength = static_cast<std::uint32_t>(size);
  WriteCompressedItemHeader(replacement.out, header);
  TCompressionStream zip(cmlFast, replacement.out);
  zip.CopyFrom(file, size);
  zip.Finish();
}

struct StoreRow {
  Treatment treatment;
  StoreReplacement store;
};

// BAM frames (IMAGE) and MOS images join this table with the imaging code.
constexpr StoreRow kStoreRoutines[] = {
    {Treatment::Raw, StoreFileBytes},
    {Treatment::Sound, StoreFileBytes},
    {Treatment::CompressFile, StoreCompressedBam},
};

}  // namespace

StoreReplacement StoreRoutineFor(Treatment treatment) {
  const auto row = std::find_if(std::begin(kStoreRoutines), std::end(kStoreRoutines),
                                [treatment](const StoreRow& r) { return r.treatment == treatment; });
  return row == std::end(kStoreRoutines) ? nullptr : row->store;
}

}  // namespace trovex

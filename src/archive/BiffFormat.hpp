// The BIFF archive layout, the compressed archive and compressed item forms,
// the resource kinds with their treatments, and the naming of extracted items.
// All integers are little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Errors.hpp"
#include "framework/Stream.hpp"
#include "run/Kinds.hpp"

namespace trovex {

inline constexpr char kCompressedBiffSignature[9] = "BIFCV1.0";
inline constexpr char kCompressedBamSignature[9] = "BAMCV1  ";
inline constexpr char kCompressedMosSignature[9] = "MOSCV1  ";
inline constexpr std::uint32_t kBiffHeaderSize = 20;
inline constexpr std::uint32_t kBiffFileEntrySize = 16;
inline constexpr std::uint32_t kBiffTileEntrySize = 20;
inline constexpr std::uint32_t kCompressedBiffBlockSize = 8192;

// The first 20 bytes of a plain archive.
struct BiffHeader {
  char signature[8];              // 0: not interpreted; copied by insertion
  std::uint32_t fileCount;        // 8: number of file entries
  std::uint32_t tileCount;        // 12: number of tile entries
  std::uint32_t fileTableOffset;  // 16: offset of the first file entry

  // The tile entries lie right behind the file entries.
  std::uint64_t TileTableOffset() const { return std::uint64_t{fileTableOffset} + std::uint64_t{fileCount} * kBiffFileEntrySize; }
  std::uint64_t TablesEnd() const { return TileTableOffset() + std::uint64_t{tileCount} * kBiffTileEntrySize; }
};

// One 16-byte entry of the file table.
struct BiffFileEntry {
  std::uint32_t locator;     // +0: never interpreted
  std::uint32_t dataOffset;  // +4: offset of the resource's bytes
  std::uint32_t dataSize;    // +8: length of the resource's bytes
  std::uint16_t type;        // +12: resource type number
  std::uint16_t reserved;    // +14: never read; kept
};

// One 20-byte tile entry: a tile set of tileCount tiles of tileSize bytes.
struct BiffTileEntry {
  std::uint32_t locator;     // +0: never interpreted
  std::uint32_t dataOffset;  // +4: offset of the tile set's bytes
  std::uint32_t tileCount;   // +8
  std::uint32_t tileSize;    // +12
  std::uint16_t type;        // +16: 0x3EB for tile sets
  std::uint16_t reserved;    // +18: never read; kept

  std::uint64_t DataSize() const { return std::uint64_t{tileCount} * tileSize; }
};

// Header of a compressed archive: signature and the plain archive's length.
struct CompressedBiffHeader {
  char signature[8];               // 0: "BIFCV1.0"
  std::uint32_t uncompressedSize;  // 8: written; readers skip it
};

// One block of a compressed archive, followed by its zlib stream.
struct CompressedBiffBlock {
  std::uint32_t uncompressedLength;  // +0
  std::uint32_t compressedLength;    // +4: bytes of the zlib stream behind
};

// Header of a compressed BAM or MOS item, followed by its zlib stream.
struct CompressedItemHeader {
  char signature[8];                 // +0: "BAMCV1  " or "MOSCV1  "
  std::uint32_t uncompressedLength;  // +8
};

BiffHeader ReadBiffHeader(TStream& stream);
void WriteBiffHeader(TStream& stream, const BiffHeader& header);
BiffFileEntry ReadBiffFileEntry(TStream& stream);
void WriteBiffFileEntry(TStream& stream, const BiffFileEntry& entry);
void WriteBiffTileEntry(TStream& stream, const BiffTileEntry& entry);
CompressedBiffHeader ReadCompressedBiffHeader(TStream& stream);
void WriteCompressedBiffHeader(TStream& stream, const CompressedBiffHeader& header);
CompressedBiffBlock ReadCompressedBiffBlock(TStream& stream);
void WriteCompressedBiffBlock(TStream& stream, const CompressedBiffBlock& block);
CompressedItemHeader ReadCompressedItemHeader(TStream& stream);
void WriteCompressedItemHeader(TStream& stream, const CompressedItemHeader& header);

// True when the 8 bytes are the compressed archive signature.
bool IsCompressedBiffSignature(const char signature[8]);

// The error for a damaged archive: "Invalid BIFF archive <path>: <what>".
EFormatError InvalidBiff(const std::string& path, const std::string& what);
// Reads the header at the start of a plain archive and checks, against the
// stream's size, that the header and the whole file table lie inside the file;
// a damaged archive fails with InvalidBiff before anything is written.
BiffHeader ReadCheckedBiffHeader(TStream& stream, const std::string& path);
// The whole file table of an archive that passed ReadCheckedBiffHeader, read
// in one piece from the table offset.
std::vector<BiffFileEntry> ReadBiffFileTable(TStream& stream, const BiffHeader& header);
// The tile table of an archive whose header passed ReadCheckedBiffHeader;
// fails with InvalidBiff when it does not lie inside the file.
std::vector<BiffTileEntry> ReadBiffTileTable(TStream& stream, const BiffHeader& header, const std::string& path);
// True when the entry's data lies inside a file of fileSize bytes.
bool EntryDataInside(const BiffFileEntry& entry, std::uint64_t fileSize);
bool TileDataInside(const BiffTileEntry& entry, std::uint64_t fileSize);

// Resource type numbers known to the system.
enum BiffResourceType : std::uint16_t {
  rtBitmap = 1,
  rtMovie = 2,
  rtSound = 4,
  rtBam = 1000,
  rtMos = 1004,
};

// How a kind of resource is extracted and stored back.
enum class Treatment {
  Raw,            // the bytes as they are
  Sound,          // WAVC sound without its header, or a RIFF wave whole
  CompressedBam,  // a "BAMCV1  " item converted frame by frame
  CompressedMos,  // a "MOSCV1  " item converted to one bitmap
  CompressFile,   // a plain file stored as a "BAMCV1  " item (insertion only)
};

// One row of the kind table.
struct KindTreatment {
  const char* kindWord;     // in target lines: "#Target " + kindWord + " 0x..."
  std::uint16_t type;       // resource type extracted under this kind; 0: none
  ExtractKind extractKind;  // the run's kind choice that enables extraction
  const char* folder;       // output folder below the output directory
  const char* extension;    // of the written file
  Treatment treatment;
};

// The kind table, shared by extraction and insertion.
inline constexpr KindTreatment kKindTreatments[] = {
    {"BMP", rtBitmap, kindBmp, "BMP", "bmp", Treatment::Raw},
    {"MVE", rtMovie, kindMve, "Video", "mve", Treatment::Raw},
    {"WAV", rtSound, kindWav, "ACM Sound", "acm", Treatment::Sound},
    {"IMAGE", rtBam, kindImage, "Images", "bmp", Treatment::CompressedBam},
    {"MOS", rtMos, kindMos, "Images", "bmp", Treatment::CompressedMos},
    {"FONT", 0, ExtractKind{0}, "", "", Treatment::CompressFile},
};
// Sounds that are not WAVC go here instead of "ACM Sound".
inline constexpr const char* kRiffWaveFolder = "RIFF Wave";
inline constexpr const char* kRiffWaveExtension = "wav";
inline constexpr std::uint32_t kWavcHeaderSize = 28;

// The row for a resource type, or nullptr.
const KindTreatment* KindOfType(std::uint16_t type);
// The row for a kind word (compared exactly), or nullptr.
const KindTreatment* KindOfWord(const std::string& kindWord);

// "%s_%04X." of the archive's file name up to its first "." and the index:
// entry 26 of Sounds.bif gives "Sounds_001A.".
std::string ItemStem(const std::string& archivePath, std::uint32_t index);
// Where an entry is, for the results pane: the archive's file name + " entry
// 0x" + index in eight upper-case hex digits, as target lines give it.
std::string EntryPlace(const std::string& archivePath, std::uint32_t index);
// "#Target " + kind + " 0x" + index in eight upper-case hex digits + ": " + path.
std::string TargetLine(const std::string& kindWord, std::uint32_t index, const std::string& path);

}  // namespace trovex

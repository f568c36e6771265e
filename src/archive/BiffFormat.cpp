#include "archive/BiffFormat.hpp"

#include <cstring>

#include "framework/Paths.hpp"

namespace trovex {

namespace {

constexpr std::size_t kCompressedHeaderSize = 12;

BiffFileEntry DecodeFileEntry(const unsigned char* p) {
  return {LoadU32(p), LoadU32(p + 4), LoadU32(p + 8), LoadU16(p + 12), LoadU16(p + 14)};
}

BiffTileEntry DecodeTileEntry(const unsigned char* p) {
  return {LoadU32(p), LoadU32(p + 4), LoadU32(p + 8), LoadU32(p + 12), LoadU16(p + 16), LoadU16(p + 18)};
}

// count records of recordSize bytes from offset, read in one piece.
std::vector<unsigned char> ReadRecords(TStream& stream, std::uint64_t offset, std::uint32_t count, std::uint32_t recordSize) {
  std::vector<unsigned char> bytes(std::size_t{count} * recordSize);
  stream.SetPosition(static_cast<std::int64_t>(offset));
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

}  // namespace

BiffHeader ReadBiffHeader(TStream& stream) {
  unsigned char bytes[kBiffHeaderSize];
  stream.ReadBuffer(bytes, sizeof bytes);
  BiffHeader header{};
  std::memcpy(header.signature, bytes, 8);
  header.fileCount = LoadU32(bytes + 8);
  header.tileCount = LoadU32(bytes + 12);
  header.fileTableOffset = LoadU32(bytes + 16);
  return header;
}

void WriteBiffHeader(TStream& stream, const BiffHeader& header) {
  unsigned char bytes[kBiffHeaderSize];
  std::memcpy(bytes, header.signature, 8);
  StoreU32(bytes + 8, header.fileCount);
  StoreU32(bytes + 12, header.tileCount);
  StoreU32(bytes + 16, header.fileTableOffset);
  stream.WriteBuffer(bytes, sizeof bytes);
}

BiffFileEntry ReadBiffFileEntry(TStream& stream) {
  unsigned char bytes[kBiffFileEntrySize];
  stream.ReadBuffer(bytes, sizeof bytes);
  return DecodeFileEntry(bytes);
}

void WriteBiffFileEntry(TStream& stream, const BiffFileEntry& entry) {
  unsigned char bytes[kBiffFileEntrySize];
  StoreU32(bytes, entry.locator);
  StoreU32(bytes + 4, entry.dataOffset);
  StoreU32(bytes + 8, entry.dataSize);
  StoreU16(bytes + 12, entry.type);
  StoreU16(bytes + 14, entry.reserved);
  stream.WriteBuffer(bytes, sizeof bytes);
}

void WriteBiffTileEntry(TStream& stream, const BiffTileEntry& entry) {
  unsigned char bytes[kBiffTileEntrySize];
  StoreU32(bytes, entry.locator);
  StoreU32(bytes + 4, entry.dataOffset);
  StoreU32(bytes + 8, entry.tileCount);
  StoreU32(bytes + 12, entry.tileSize);
  StoreU16(bytes + 16, entry.type);
  StoreU16(bytes + 18, entry.reserved);
  stream.WriteBuffer(bytes, sizeof bytes);
}

CompressedBiffHeader ReadCompressedBiffHeader(TStream& stream) {
  unsigned char bytes[kCompressedHeaderSize];
  stream.ReadBuffer(bytes, sizeof bytes);
  CompressedBiffHeader header{};
  std::memcpy(header.signature, bytes, 8);
  header.uncompressedSize = LoadU32(bytes + 8);
  return header;
}

void WriteCompressedBiffHeader(TStream& stream, const CompressedBiffHeader& header) {
  unsigned char bytes[kCompressedHeaderSize];
  std::memcpy(bytes, header.signature, 8);
  StoreU32(bytes + 8, header.uncompressedSize);
  stream.WriteBuffer(bytes, sizeof bytes);
}

CompressedBiffBlock ReadCompressedBiffBlock(TStream& stream) {
  unsigned char bytes[8];
  stream.ReadBuffer(bytes, sizeof bytes);
  return {LoadU32(bytes), LoadU32(bytes + 4)};
}

void WriteCompressedBiffBlock(TStream& stream, const CompressedBiffBlock& block) {
  unsigned char bytes[8];
  StoreU32(bytes, block.uncompressedLength);
  StoreU32(bytes + 4, block.compressedLength);
  stream.WriteBuffer(bytes, sizeof bytes);
}

CompressedItemHeader ReadCompressedItemHeader(TStream& stream) {
  // The same 12-byte layout as the compressed archive header.
  const CompressedBiffHeader raw = ReadCompressedBiffHeader(stream);
  CompressedItemHeader header{};
  std::memcpy(header.signature, raw.signature, 8);
  header.uncompressedLength = raw.uncompressedSize;
  return header;
}

void WriteCompressedItemHeader(TStream& stream, const CompressedItemHeader& header) {
  CompressedBiffHeader raw{};
  std::memcpy(raw.signature, header.signature, 8);
  raw.uncompressedSize = header.uncompressedLength;
  WriteCompressedBiffHeader(stream, raw);
}

bool IsCompressedBiffSignature(const char signature[8]) {
  return std::memcmp(signature, kCompressedBiffSignature, 8) == 0;
}

EFormatError InvalidBiff(const std::string& path, const std::string& what) {
  return EFormatError("Invalid BIFF archive " + path + ": " + what);
}

BiffHeader ReadCheckedBiffHeader(TStream& stream, const std::string& path) {
  const std::int64_t size = stream.Size();
  if (size < kBiffHeaderSize) throw InvalidBiff(path, "file shorter than its 20-byte header");
  stream.SetPosition(0);
  const BiffHeader header = ReadBiffHeader(stream);
  const std::uint64_t tableEnd =
      std::uint64_t{header.fileTableOffset} + std::uint64_t{header.fileCount} * kBiffFileEntrySize;
  if (tableEnd > static_cast<std::uint64_t>(size)) throw InvalidBiff(path, "file table beyond end of file");
  return header;
}

std::vector<BiffFileEntry> ReadBiffFileTable(TStream& stream, const BiffHeader& header) {
  const auto bytes = ReadRecords(stream, header.fileTableOffset, header.fileCount, kBiffFileEntrySize);
  std::vector<BiffFileEntry> entries;
  entries.reserve(header.fileCount);
  for (std::size_t at = 0; at < bytes.size(); at += kBiffFileEntrySize) entries.push_back(DecodeFileEntry(&bytes[at]));
  return entries;
}

std::vector<BiffTileEntry> ReadBiffTileTable(TStream& stream, const BiffHeader& header, const std::string& path) {
  if (header.TablesEnd() > static_cast<std::uint64_t>(stream.Size())) throw InvalidBiff(path, "tile table beyond end of file");
  const auto bytes = ReadRecords(stream, header.TileTableOffset(), header.tileCount, kBiffTileEntrySize);
  std::vector<BiffTileEntry> entries;
  entries.reserve(header.tileCount);
  for (std::size_t at = 0; at < bytes.size(); at += kBiffTileEntrySize) entries.push_back(DecodeTileEntry(&bytes[at]));
  return entries;
}

bool EntryDataInside(const BiffFileEntry& entry, std::uint64_t fileSize) {
  return std::uint64_t{entry.dataOffset} + entry.dataSize <= fileSize;
}

bool TileDataInside(const BiffTileEntry& entry, std::uint64_t fileSize) {
  return entry.DataSize() <= fileSize && std::uint64_t{entry.dataOffset} + entry.DataSize() <= fileSize;
}

const KindTreatment* KindOfType(std::uint16_t type) {
  for (const auto& kind : kKindTreatments) {
    if (kind.type != 0 && kind.type == type) return &kind;
  }
  return nullptr;
}

const KindTreatment* KindOfWord(const std::string& kindWord) {
  for (const auto& kind : kKindTreatments) {
    if (kindWord == kind.kindWord) return &kind;
  }
  return nullptr;
}

std::string ItemStem(const std::string& archivePath, std::uint32_t index) {
  // The base ends before the first "."; a name without one has an empty base.
  const std::string name = FileNamePart(archivePath);
  const std::size_t dot = name.find('.');
  const std::string base = dot == std::string::npos ? std::string() : name.substr(0, dot);
  return Format("%s_%04X.", base.c_str(), index);
}

std::string EntryPlace(const std::string& archivePath, std::uint32_t index) {
  return FileNamePart(archivePath) + Format(" entry 0x%08X", index);
}

std::string TargetLine(const std::string& kindWord, std::uint32_t index, const std::string& path) {
  return "#Target " + kindWord + Format(" 0x%08X: ", index) + path;
}

}  // namespace trovex

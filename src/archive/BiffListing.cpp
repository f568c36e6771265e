#include "archive/BiffListing.hpp"

#include <cstring>

#include "archive/BiffFormat.hpp"
#include "archive/KeyListing.hpp"
#include "framework/FileStream.hpp"

namespace trovex {

namespace {

// How an entry's bytes are stored, from their first 8 bytes.
const char* StoredForm(const TFileStream& archive, std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
  char head[8] = {};
  const std::size_t count = size < sizeof head ? static_cast<std::size_t>(size) : sizeof head;
  if (offset + size > fileSize) return "plain";
  archive.ReadBufferAt(static_cast<std::int64_t>(offset), head, count);
  if (count >= 4 && std::memcmp(head, "WAVC", 4) == 0) return "WAVC";
  if (count == 8 &&
      (std::memcmp(head, kCompressedBamSignature, 8) == 0 || std::memcmp(head, kCompressedMosSignature, 8) == 0)) {
    return "compressed";
  }
  return "plain";
}

std::string Line(std::uint32_t entry, std::string_view name, std::uint16_t type, const char* kind, std::uint64_t size,
                 const char* form, std::uint32_t offset) {
  return Format("%04X\t%s\t%u\t%s\t%llu\t%s\t%u\n", entry, EscapedResourceName(name).c_str(), type, kind,
                static_cast<unsigned long long>(size), form, offset);
}

}  // namespace

std::string BiffListing(const std::string& path, const TArchiveNames* names) {
  TFileStream archive(path, FileMode::OpenRead);
  char signature[8] = {};
  if (archive.Read(signature, sizeof signature) == sizeof signature && IsCompressedBiffSignature(signature)) {
    throw EFormatError(path + " is a compressed archive; extract it to a plain archive to list its entries");
  }
  const BiffHeader header = ReadCheckedBiffHeader(archive, path);
  const std::vector<BiffFileEntry> files = ReadBiffFileTable(archive, header);
  const std::vector<BiffTileEntry> tiles = ReadBiffTileTable(archive, header, path);
  const auto fileSize = static_cast<std::uint64_t>(archive.Size());
  std::string text;
  for (std::uint32_t i = 0; i < files.size(); ++i) {
    const BiffFileEntry& entry = files[i];
    const KindTreatment* kind = KindOfType(entry.type);
    text += Line(i, names ? names->FileName(entry.locator, entry.type) : "", entry.type, kind ? kind->kindWord : "-",
                 entry.dataSize, StoredForm(archive, entry.dataOffset, entry.dataSize, fileSize), entry.dataOffset);
  }
  for (const BiffTileEntry& entry : tiles) {
    text += Line(LocatorTileSet(entry.locator), names ? names->TileSetName(entry.locator, entry.type) : "", entry.type,
                 "TILE", entry.DataSize(), "plain", entry.dataOffset);
  }
  return text;
}

std::string FindKeyResources(const std::string& keyPath, const std::string& name) {
  TFileStream file(keyPath, FileMode::OpenRead);
  const KeyIndex key = ReadKeyIndex(file, keyPath);
  const std::string wanted = FoldedName(name);
  std::string text;
  for (const KeyResourceEntry& resource : ReadKeyResources(key, keyPath)) {
    const std::string_view found = ResourceName(resource);
    if (found.size() != wanted.size() || FoldedName(found) != wanted) continue;
    const std::uint32_t archive = LocatorArchive(resource.locator);
    const std::string archiveName =
        archive < key.entries.size() ? std::string(ArchiveName(key, archive)) : Format("#%u", archive);
    const std::uint32_t tileSet = LocatorTileSet(resource.locator);
    text += Format("%s\t%u\t%s\t%04X\n", EscapedResourceName(found).c_str(), resource.type, archiveName.c_str(),
                   tileSet != 0 ? tileSet : LocatorFile(resource.locator));
  }
  return text;
}

}  // namespace trovex

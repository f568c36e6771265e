// The header, file table and tile table of a plain archive, read as
// extraction and insertion read them. Tables that read back write back to
// the same bytes, and data said to lie inside the file does.
#include "FuzzCheck.hpp"
#include "archive/BiffFormat.hpp"

using namespace trovex;

namespace {

// The bytes written by write, compared with the input at offset.
template <typename Write>
void RequireWritesBack(const std::uint8_t* data, std::size_t size, std::uint64_t offset, Write write,
                       const char* invariant) {
  TMemoryStream written;
  write(written);
  const auto& bytes = written.Bytes();
  fuzz::Require(offset + bytes.size() <= size && std::equal(bytes.begin(), bytes.end(), data + offset), invariant);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream archive = fuzz::MemoryOf(data, size);
  BiffHeader header;
  std::vector<BiffFileEntry> files;
  try {
    header = ReadCheckedBiffHeader(archive, "fuzz.bif");
    files = ReadBiffFileTable(archive, header);
  } catch (const EFormatError&) {
    return 0;
  }
  fuzz::Require(files.size() == header.fileCount, "the table holds fileCount entries");
  RequireWritesBack(data, size, 0, [&](TStream& out) { WriteBiffHeader(out, header); }, "the header writes back");
  RequireWritesBack(
      data, size, header.fileTableOffset,
      [&](TStream& out) {
        for (const BiffFileEntry& entry : files) WriteBiffFileEntry(out, entry);
      },
      "the file table writes back");
  for (const BiffFileEntry& entry : files) {
    if (EntryDataInside(entry, size)) {
      fuzz::Require(std::uint64_t{entry.dataOffset} + entry.dataSize <= size, "inside data lies inside");
    }
  }

  std::vector<BiffTileEntry> tiles;
  try {
    tiles = ReadBiffTileTable(archive, header, "fuzz.bif");
  } catch (const EFormatError&) {
    fuzz::Require(header.TablesEnd() > size, "a tile table inside the file reads");
    return 0;
  }
  fuzz::Require(tiles.size() == header.tileCount, "the tile table holds tileCount entries");
  RequireWritesBack(
      data, size, header.TileTableOffset(),
      [&](TStream& out) {
        for (const BiffTileEntry& entry : tiles) WriteBiffTileEntry(out, entry);
      },
      "the tile table writes back");
  for (const BiffTileEntry& entry : tiles) {
    if (TileDataInside(entry, size)) fuzz::Require(entry.dataOffset + entry.DataSize() <= size, "inside tiles lie inside");
  }
  return 0;
}

// The header and file table of a plain archive, read as extraction and
// insertion read them. A table that reads back writes back to the same
// bytes, and an entry whose data is said to lie inside the file does.
#include "FuzzCheck.hpp"
#include "archive/BiffFormat.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream archive = fuzz::MemoryOf(data, size);
  BiffHeader header;
  std::vector<BiffFileEntry> table;
  try {
    header = ReadCheckedBiffHeader(archive, "fuzz.bif");
    table = ReadBiffFileTable(archive, header);
  } catch (const EFormatError&) {
    return 0;
  }
  fuzz::Require(table.size() == header.fileCount, "the table holds fileCount entries");
  TMemoryStream written;
  WriteBiffHeader(written, header);
  fuzz::Require(std::equal(written.Bytes().begin(), written.Bytes().end(), data), "the header writes back");
  written.Clear();
  for (const BiffFileEntry& entry : table) WriteBiffFileEntry(written, entry);
  fuzz::Require(header.fileTableOffset + written.Bytes().size() <= size, "the table lies inside the file");
  fuzz::Require(std::equal(written.Bytes().begin(), written.Bytes().end(), data + header.fileTableOffset),
                "the file table writes back");
  for (const BiffFileEntry& entry : table) {
    if (EntryDataInside(entry, size)) {
      fuzz::Require(std::uint64_t{entry.dataOffset} + entry.dataSize <= size, "inside data lies inside");
    }
  }
  return 0;
}

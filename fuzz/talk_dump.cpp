// An edited text dump, split into lines and entries as the rebuild splits
// it. Lines come out the same whatever the chunk size and as the text-file
// rules give them, and entries arrive in order, each inside the text.
#include <algorithm>

#include "FuzzCheck.hpp"
#include "framework/StringList.hpp"
#include "strings/TalkDump.hpp"
#include "strings/TalkDumpReader.hpp"

using namespace trovex;

namespace {

std::vector<std::string> LinesOf(const std::uint8_t* data, std::size_t size, std::size_t chunk) {
  TMemoryStream stream = fuzz::MemoryOf(data, size);
  TDumpLines lines(stream, chunk);
  std::vector<std::string> all;
  while (const auto line = lines.Next()) {
    all.emplace_back(*line);
    fuzz::Require(lines.LineNumber() == all.size(), "lines are counted");
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte is the entry count the table would have.
  const std::uint32_t count = data[0];
  ++data;
  --size;
  const auto lines = LinesOf(data, size, size + 1);
  TStringList list;
  list.LoadFromText(fuzz::TextOf(data, size));
  fuzz::Require(lines == list.Lines(), "dump lines follow the text-file rules");
  for (const std::size_t chunk : {1, 7}) {
    fuzz::Require(LinesOf(data, size, chunk) == lines, "the chunk size changes no line");
  }

  TMemoryStream dump = fuzz::MemoryOf(data, size);
  TDumpEntryReader reader(dump, "fuzz.txt", count);
  TDumpEntries entries;
  std::uint32_t next = 0;
  bool ended = false;
  while (reader.Next(entries)) {
    fuzz::Require(!ended, "nothing follows a mismatch or an error");
    fuzz::Require(entries.first == next, "entries come in order");
    fuzz::Require(std::is_sorted(entries.ends.begin(), entries.ends.end()) &&
                      (entries.ends.empty() || entries.ends.back() <= entries.text.size()),
                  "entries lie inside the text");
    next += static_cast<std::uint32_t>(entries.ends.size());
    ended = entries.mismatchLine != 0 || entries.error;
  }
  fuzz::Require(ended ? next < count : next == count, "all entries or a reason why not");
  return 0;
}

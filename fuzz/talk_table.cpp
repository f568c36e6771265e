// A string table, read as dumping reads it, and its dump read back as the
// rebuild reads it: every entry comes back under its own number, and the
// rebuild recognises every untouched entry (so it keeps the stored bytes).
#include <algorithm>

#include "FuzzCheck.hpp"
#include "framework/Errors.hpp"
#include "strings/TalkDump.hpp"
#include "strings/TalkDumpReader.hpp"
#include "strings/TalkFormat.hpp"

using namespace trovex;

namespace {

// True when a line of text is the dump's end line.
bool HoldsEndLine(std::string_view text) {
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    if (text.substr(start, end - start) == kDumpEndLine) return true;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream file = fuzz::MemoryOf(data, size);
  TalkTable table;
  try {
    table = ReadTalkTable(file, "fuzz.tlk");
  } catch (const EFormatError&) {
    return 0;
  }
  TTalkStrings strings(file, table);
  std::vector<std::string> texts;
  std::string dumpText;
  for (std::uint32_t i = 0; i < table.count; ++i) {
    texts.emplace_back(strings.String(i));
    AppendDumpEntry(dumpText, i, texts.back());
  }
  // A string with an end line of its own cannot come back from a dump: the
  // reader ends its entry there, and what follows may read as anything.
  if (std::any_of(texts.begin(), texts.end(), HoldsEndLine)) return 0;
  TMemoryStream dump(std::vector<unsigned char>(dumpText.begin(), dumpText.end()));
  TDumpEntryReader reader(dump, "fuzz.txt", table.count);
  TDumpEntries entries;
  std::uint32_t next = 0;
  while (reader.Next(entries)) {
    fuzz::Require(entries.mismatchLine == 0 && !entries.error, "a dump reads back");
    fuzz::Require(entries.first == next, "entries come in order");
    std::size_t start = 0;
    for (const std::size_t end : entries.ends) {
      const std::string_view edited = std::string_view(entries.text).substr(start, end - start);
      start = end;
      const std::string& source = texts[next++];
      fuzz::Require(DumpShows(edited, source), "an untouched entry is recognised");
    }
  }
  fuzz::Require(next == table.count, "every entry comes back");
  return 0;
}

// A string table, read as dumping reads it, and its dump read back as the
// rebuild reads it: every entry comes back under its own number, and a
// string on one line comes back exactly with its tokens restored.
#include "FuzzCheck.hpp"
#include "framework/Errors.hpp"
#include "strings/TalkDump.hpp"
#include "strings/TalkDumpReader.hpp"
#include "strings/TalkFormat.hpp"

using namespace trovex;

namespace {

// A string that the dump holds on one line of its own and cannot take for an
// identifier or end line.
bool OneLine(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos && text != kDumpEndLine && !IdentifierOf(text);
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
      if (!OneLine(source)) continue;
      std::string restored;
      if (MayHoldTokens(edited)) {
        AppendRestored(restored, edited, source);
      } else {
        restored.assign(edited);
      }
      fuzz::Require(restored == source, "an unedited string comes back");
    }
  }
  fuzz::Require(next == table.count, "every entry comes back");
  return 0;
}

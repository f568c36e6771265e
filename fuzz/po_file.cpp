// A PO file as replay reads it: through gettext's library, a chunk at a
// time, and each translation converted to a code page. Reading ends with the
// entries or a message, never a crash.
#include "FuzzCheck.hpp"
#include "framework/CodePage.hpp"
#include "strings/PoReader.hpp"

using namespace trovex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMemoryStream stream = fuzz::MemoryOf(data, size);
  try {
    TPoReader reader(stream, "fuzz.po", ".");
    const auto field = reader.HeaderField("X-Trovex-Code-Page");
    const auto page = field ? CodePageOfName(*field) : std::nullopt;
    std::vector<PoEntry> entries;
    while (reader.Next(entries)) {
      for (const PoEntry& entry : entries) {
        std::string bytes;
        if (page) TCodePage::Of(*page).AppendEncoded(bytes, entry.msgstr);
      }
    }
  } catch (const EPoError&) {
  }
  return 0;
}

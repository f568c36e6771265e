#include "builders/TalkBuilder.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "sample/Samples.hpp"

namespace trovex::sample {

// dialog.tlk: a string table with tokens, line breaks of every kind, empty
// strings, accented letters (single bytes above 127) and a description of
// CR LF paragraphs, followed by a run of generated strings.
std::vector<std::string> WriteTalkSamples(const std::string& dir) {
  std::vector<build::TalkEntry> entries = {
      {"Hello <CHARNAME>!", ""},
      {"", ""},
      {"Welcome to the inn, <PRO_SIRMAAM>. Rooms are <N> gold a night.", ""},
      {"First line\r\nSecond line\nThird line\rFourth line", ""},
      {"Caf\xE9 cr\xE8me, na\xEFve d\xE9j\xE0 vu \xA1Ol\xE9!", ""},
      {"<GABBER> says: \"Today is <DAYANDMONTH>.\"", ""},
      {"Farewell.\r\n\r\n", ""},
      {"", ""},
      {"LONG SWORD\r\n\r\nThe long sword is the weapon of <PRO_HISHER> choice.\r\nIt is well balanced.\r\n\r\n"
       "STATISTICS:\r\n\r\nDamage: 1D8\r\nWeight: 4",
       ""},
  };
  build::Random random(2024);
  while (entries.size() < 64) entries.push_back({build::RandomTalkString(random, 60), ""});
  WriteWholeFile(JoinPath(dir, "dialog.tlk"), build::MakeTalkTable(entries));
  return {"dialog.tlk"};
}

}  // namespace trovex::sample

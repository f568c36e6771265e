#include <cstdio>
#include <string>

#include "benchdata/BenchData.hpp"
#include "builders/TalkBuilder.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex::benchdata {

// talk OUT ENTRIES STRING_BYTES: ENTRIES random strings of about STRING_BYTES
// bytes in all, with tokens, breaks, empty strings and bytes above 127.
int MakeTalk(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: trovex-benchdata talk OUT ENTRIES STRING_BYTES\n");
    return 2;
  }
  const unsigned long entries = std::stoul(args[1]);
  const unsigned long bytes = std::stoul(args[2]);
  const std::size_t average = entries == 0 ? 0 : bytes / entries;
  build::Random random(7);
  std::vector<std::string> strings;
  strings.reserve(entries);
  for (unsigned long i = 0; i < entries; ++i) strings.push_back(build::RandomTalkString(random, average));
  WriteWholeFile(args[0], build::MakeTalkTable(strings));
  return 0;
}

}  // namespace trovex::benchdata

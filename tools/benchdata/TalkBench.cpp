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

// talk-line OUT MIB: three strings, the middle one MIB MiB on a single line
// of words and tokens.
int MakeTalkLine(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: trovex-benchdata talk-line OUT MIB\n");
    return 2;
  }
  const std::size_t bytes = std::stoul(args[1]) << 20;
  build::Random random(11);
  std::string piece;
  while (piece.size() < 4096) piece += build::RandomTalkString(random, 200);
  std::erase_if(piece, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
  std::string line;
  line.reserve(bytes + piece.size());
  while (line.size() < bytes) line += piece;
  line.resize(bytes);
  WriteWholeFile(args[0], build::MakeTalkTable(std::vector<std::string>{"before", line, "after"}));
  return 0;
}

}  // namespace trovex::benchdata

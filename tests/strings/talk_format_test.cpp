// Reading a table's strings in any order of the file.
#include <gtest/gtest.h>

#include "builders/TalkBuilder.hpp"
#include "framework/MemoryStream.hpp"
#include "strings/TalkFormat.hpp"

namespace trovex {
namespace {

TEST(TalkStrings, ReadsStringsInAnyOrderAndClampsThemToTheFile) {
  build::Random random(3);
  std::vector<std::string> texts;
  for (int i = 0; i < 3000; ++i) texts.push_back(build::RandomTalkString(random, 30));
  std::string bytes = build::MakeTalkTable(texts);
  const std::uint32_t stringsOffset = 18 + 26 * 3000;
  // Entry 7 shares entry 2's string; entry 9 runs past the end of the file.
  build::SetU32(bytes, 18 + 26 * 7 + 18, static_cast<std::uint32_t>(texts[0].size() + texts[1].size()));
  build::SetU32(bytes, 18 + 26 * 7 + 22, static_cast<std::uint32_t>(texts[2].size()));
  build::SetU32(bytes, 18 + 26 * 9 + 18, static_cast<std::uint32_t>(bytes.size() - stringsOffset - 3));
  build::SetU32(bytes, 18 + 26 * 9 + 22, 1000);
  texts[7] = texts[2];
  texts[9] = bytes.substr(bytes.size() - 3);

  TMemoryStream stream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
  const TalkTable table = ReadTalkTable(stream, "t.tlk");
  // Forwards, backwards, and every seventh string, each with a fresh reader.
  std::vector<std::vector<std::uint32_t>> orders(3);
  for (std::uint32_t i = 0; i < 3000; ++i) {
    orders[0].push_back(i);
    orders[1].push_back(2999 - i);
    orders[2].push_back(i * 7 % 3000);
  }
  for (const auto& order : orders) {
    TTalkStrings strings(stream, table);
    for (const std::uint32_t i : order) ASSERT_EQ(strings.String(i), texts[i]) << "entry " << i;
  }
}

}  // namespace
}  // namespace trovex

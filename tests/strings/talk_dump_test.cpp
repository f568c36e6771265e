// The text dump's pieces: masking, identifier lines, line splitting, and
// putting tokens back.
#include <gtest/gtest.h>

#include "builders/TalkBuilder.hpp"
#include "framework/MemoryStream.hpp"
#include "strings/TalkDump.hpp"

namespace trovex {
namespace {

std::string Masked(std::string_view text) {
  std::string out;
  AppendMasked(out, text);
  return out;
}

TEST(TalkMasking, FollowsTheByteRule) {
  EXPECT_EQ(Masked("Hello <NAME>!"), "Hello <****>!");
  EXPECT_EQ(Masked("<a<b>c>"), "<***>c>");  // "<" inside a token is masked too
  EXPECT_EQ(Masked("a > b"), "a > b");      // ">" without "<" changes nothing
  EXPECT_EQ(Masked("x <open to the end"), "x <***************");
  EXPECT_EQ(Masked("<>"), "<>");
  EXPECT_EQ(Masked("plain \xE9t\xE9"), "plain \xE9t\xE9");
}

TEST(TalkDumpEntry, WritesIdentifierTextAndEndLine) {
  std::string out;
  AppendDumpEntry(out, 5, "a\r\nb <X>");
  AppendDumpEntry(out, 123456789, "");
  EXPECT_EQ(out, "[00000005]\r\na\r\nb <*>\r\n[########]\r\n[123456789]\r\n\r\n[########]\r\n");
}

TEST(TalkIdentifierLine, IsBracketedDigitsWithoutSurroundingBlanks) {
  EXPECT_EQ(IdentifierOf("[00000007]"), 7u);
  EXPECT_EQ(IdentifierOf("[01000000]"), 1000000u);  // seven digits and more still count
  EXPECT_EQ(IdentifierOf(" \t[00000003]  "), 3u);
  EXPECT_EQ(IdentifierOf("[99999999999999999999999]"), UINT64_MAX);
  for (const char* line : {"", "[]", "[########]", "[12a]", "x[00000001]", "[00000001]x", "[ 1]", "00000001"}) {
    EXPECT_FALSE(IdentifierOf(line)) << line;
  }
}

std::vector<std::string> Lines(std::string_view text, std::size_t chunkSize) {
  TMemoryStream stream(std::vector<unsigned char>(text.begin(), text.end()));
  TDumpLines lines(stream, chunkSize);
  std::vector<std::string> seen;
  while (auto line = lines.Next()) seen.emplace_back(*line);
  EXPECT_EQ(lines.LineNumber(), seen.size());
  return seen;
}

// Every chunk size, so that breaks (a CR LF above all) fall on chunk borders.
TEST(TalkDumpLines, SplitsAtEveryBreakKindAndStopsAtNul) {
  for (std::size_t chunk = 1; chunk <= 16; ++chunk) {
    EXPECT_EQ(Lines("a\r\nbb\ncc\rd\r\n\r\ne", chunk), (std::vector<std::string>{"a", "bb", "cc", "d", "", "e"}));
    EXPECT_EQ(Lines("x\r\n\r", chunk), (std::vector<std::string>{"x", ""}));
    EXPECT_EQ(Lines(std::string_view("x\r\ny\0z\r\n", 8), chunk), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(Lines("", chunk), std::vector<std::string>{});
  }
}

// A line longer than the chunk comes in pieces that join to it, each no
// longer than needed; Next still gives it whole, and short lines stay whole.
TEST(TalkDumpLines, LongLinesComeInPiecesThatJoinBack) {
  build::Random random(3);
  std::string longLine;
  while (longLine.size() < 20000) longLine += build::RandomTalkString(random, 50);
  std::erase_if(longLine, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
  const std::string text = "[00000001]\r\n" + longLine + "\r\n[########]\r\n" + longLine;
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{4096}, std::size_t{5000}, std::size_t{1} << 20}) {
    TMemoryStream stream(std::vector<unsigned char>(text.begin(), text.end()));
    TDumpLines lines(stream, chunk);
    std::vector<std::string> joined(1);
    std::size_t pieces = 0;
    while (const auto piece = lines.NextPiece()) {
      joined.back() += piece->text;
      ++pieces;
      if (piece->lineEnds) joined.emplace_back();
    }
    joined.pop_back();
    EXPECT_EQ(joined, (std::vector<std::string>{"[00000001]", longLine, "[########]", longLine})) << chunk;
    EXPECT_EQ(pieces > 4, chunk < longLine.size()) << chunk;
    EXPECT_EQ(lines.LineNumber(), 4u);
    EXPECT_EQ(Lines(text, chunk), (std::vector<std::string>{"[00000001]", longLine, "[########]", longLine}));
  }
}

// Text read from a stream a window at a time finds, compares and copies
// across window borders exactly as the same text in memory.
TEST(TalkSourceText, WindowedTextActsAsTheTextInMemory) {
  const std::size_t window = std::size_t{1} << 20;
  std::string bytes(3 * window + 77, 'a');
  for (const std::size_t at : {window - 1, window, 2 * window + 5}) bytes[at] = '<';
  for (const std::size_t at : {std::size_t{3}, window + 1, 3 * window + 70}) bytes[at] = '>';
  const std::string file = "head" + bytes + "tail";
  TMemoryStream stream(std::vector<unsigned char>(file.begin(), file.end()));
  const TSourceText windowed(stream, 4, bytes.size());
  const std::string_view memory(bytes);
  for (const char c : {'<', '>', 'b'}) {
    for (std::size_t from = 0; from < bytes.size(); from += window / 3)
      EXPECT_EQ(windowed.find(c, from), memory.find(c, from));
    EXPECT_EQ(windowed.rfind(c), memory.rfind(c));
  }
  EXPECT_TRUE(windowed.StartsWith(window - 3, memory.substr(window - 3, 2 * window)));
  EXPECT_FALSE(windowed.StartsWith(window - 3, "aa<>"));
  EXPECT_FALSE(windowed.StartsWith(bytes.size() - 1, "aa"));
  std::string copied;
  TTextOut out(copied);
  windowed.Prefix(2 * window + 9).AppendTo(out, window - 2, window + 4);
  EXPECT_EQ(copied, memory.substr(window - 2, window + 4));
  EXPECT_EQ(windowed.Prefix(window + 2).rfind('<'), window);
}

struct Restoring {
  const char* edited;
  const char* source;
  const char* result;
  std::size_t masked;
  std::size_t tokens;
};

TEST(TalkTokenRestoring, ReplacesMaskedTokensInOrder) {
  const Restoring cases[] = {
      {"Salut <****>!", "Hello <NAME>!", "Salut <NAME>!", 1, 1},
      {"<**> and <*>", "<A> x <B>", "<A> and <B>", 2, 2},
      {"Hi <*> there", "<A> and <B>", "Hi <A> there", 1, 2},  // never a fragment such as "B>"
      {"<*> <*> <**>", "<A>", "<A> <*> <**>", 3, 1},          // extra masked tokens stay
      {"plain text", "Hello <NAME>!", "plain text", 0, 0},
      {"a <* b", "<A>", "a <* b", 0, 0},  // no ">": stored unchanged
      {"<***>c>", "<a<b>c>", "<a<b>c>", 1, 1},
      {"<> <*> x<y> <*", "<> <Q> <R", "<> <Q> x<y> <R", 2, 2},  // "<>" is no token
      {"5 <**", "5 < 6", "5 < 6", 1, 1},                        // an unclosed token comes back whole
      {"Hi <*>, 5 <***", "<A>, 5 < 6", "Hi <A>, 5 < 6", 2, 2},
      {"5 <", "5 <", "5 <", 0, 0},
  };
  for (const auto& c : cases) {
    std::string out = "prefix:";
    const TokenCounts counts = AppendRestored(out, c.edited, c.source);
    EXPECT_EQ(out, std::string("prefix:") + c.result) << c.edited;
    EXPECT_EQ(counts.masked, c.masked) << c.edited;
    EXPECT_EQ(counts.source, c.tokens) << c.edited;
  }
}

// A source with CR LF breaks gets its edited lines back with CR LF; its
// tokens come back as they stand, a bare LF inside one included.
TEST(TalkTokenRestoring, GivesEditedBreaksAsCrLfButLeavesTokensAlone) {
  std::string out;
  TTextOut to(out);
  AppendRestored(to, "a\n<****>\n\nb <**", TSourceText("x\r\n<T\nU>\r\n\r\ny <Z"), true);
  EXPECT_EQ(out, "a\r\n<T\nU>\r\n\r\nb <Z");
}

}  // namespace
}  // namespace trovex

namespace trovex {
namespace {

// What the dump shows of a string, as the rebuild reads it back: masked,
// split at every break kind, lines joined with LF.
std::string ShownText(std::string_view source) {
  std::string masked;
  AppendMasked(masked, source);
  std::string shown;
  for (std::size_t i = 0; i < masked.size(); ++i) {
    if (masked[i] == '\r' && i + 1 < masked.size() && masked[i + 1] == '\n') ++i;
    shown += masked[i] == '\r' ? '\n' : masked[i];
  }
  return shown;
}

// An untouched entry is recognised whatever its breaks, tokens and blank
// lines; any one-byte change to it is not.
TEST(TalkDumpShows, RecognisesExactlyTheUntouchedText) {
  build::Random random(31);
  std::vector<std::string> sources = {"", "a", "\r\n", "\r\r\n\n", "<", "<\r\n>", "x<ab", "<a<b>c>", "a>b", "<>"};
  for (int i = 0; i < 300; ++i) sources.push_back(build::RandomTalkString(random, 30));
  for (int i = 0; i < 30; ++i) sources.push_back(build::ParagraphText(random, 3));
  for (const auto& source : sources) {
    const std::string shown = ShownText(source);
    EXPECT_TRUE(DumpShows(shown, source)) << source;
    EXPECT_FALSE(DumpShows(shown + "x", source)) << source;
    for (std::size_t at = 0; at < shown.size(); ++at) {
      std::string changed = shown;
      changed[at] = changed[at] == '*' ? 'x' : '*';
      EXPECT_FALSE(DumpShows(changed, source)) << source << " at " << at;
      EXPECT_FALSE(DumpShows(shown.substr(0, at) + shown.substr(at + 1), source)) << source << " at " << at;
    }
  }
}

}  // namespace
}  // namespace trovex

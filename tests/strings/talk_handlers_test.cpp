// TALK extraction and rebuild through a run state over the fake window.
#include <gtest/gtest.h>

#include "builders/TalkBuilder.hpp"
#include "framework/Errors.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/Stream.hpp"
#include "strings/Talk.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::MakeTalkTable;
using test::WriteFileBytes;

// A whole file in one read (the test support's reader is slow on the large
// tables made here).
std::string ReadFileBytes(const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
  file.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

struct Table {
  std::string prefix;  // header and entry table as read
  std::vector<std::string> strings;
  std::vector<std::uint32_t> offsets;
};

// An independent reader of a well-formed table.
Table ParseTable(const std::string& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  Table table;
  const std::uint32_t count = LoadU32(data + 10);
  const std::uint32_t stringsOffset = LoadU32(data + 14);
  table.prefix = bytes.substr(0, stringsOffset);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t offset = LoadU32(data + 18 + 26 * i + 18);
    table.offsets.push_back(offset);
    table.strings.push_back(bytes.substr(stringsOffset + offset, LoadU32(data + 18 + 26 * i + 22)));
  }
  return table;
}

class TalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForceDirectories(dir / "game");
    run.OutputDir = dir / "out";
    ForceDirectories(run.OutputDir);
    rebuilt = run.OutputDir;
  }

  std::string Source(const std::string& bytes, const std::string& name = "dialog.tlk") {
    const std::string path = dir / ("game/" + name);
    WriteFileBytes(path, bytes);
    return path;
  }

  // Extracts the table and returns its dump.
  // Each extraction is a run of its own.
  std::string Extract(const std::string& bytes) {
    run.OutputClaims.Clear();
    ExtractTalk(run, Source(bytes));
    return ReadFileBytes(run.OutputPath("dialog.txt"));
  }

  // Replays a one-group log: the source table and the "#Target: " line of dump.
  std::size_t Insert(const std::string& sourcePath, const std::string& dump) {
    const std::string dumpPath = run.OutputPath("dialog.txt");
    WriteFileBytes(dumpPath, dump);
    run.ReplayLines.LoadFromText("#Source: " + sourcePath + "\r\n#Target: " + dumpPath + "\r\n");
    run.SourceArchive = std::make_unique<TFileStream>(sourcePath, FileMode::OpenReadWrite);
    run.SourcePath = sourcePath;
    const std::size_t next = InsertTalk(run, JoinPath(rebuilt, "dialog.tlk"), 1);
    run.SourceArchive.reset();
    return next;
  }

  std::string Rebuilt() { return ReadFileBytes(JoinPath(rebuilt, "dialog.tlk")); }
  bool RebuiltExists() { return PathExists(JoinPath(rebuilt, "dialog.tlk")); }

  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  std::string rebuilt;  // where the rebuilt table goes
};

TEST_F(TalkTest, ExtractionWritesTheDumpAndReports) {
  const std::string dump = Extract(MakeTalkTable(std::vector<std::string>{"Hello <NAME>!", ""}));
  EXPECT_EQ(dump, "[00000000]\r\nHello <****>!\r\n[########]\r\n[00000001]\r\n\r\n[########]\r\n");
  const std::string dumpPath = JoinPath(run.OutputDir, "dialog.txt");
  EXPECT_EQ(window.results, std::vector<std::string>{dumpPath + " extracted sucessfully."});
  EXPECT_EQ(run.JobLog.Lines(), std::vector<std::string>{"#Target: " + dumpPath});
  EXPECT_EQ(window.labels[Label::Extracted], "Extracted: 1 of 2");
  EXPECT_EQ(window.positions[Bar::Progress], 100);
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Saving dialog.txt...");
}

TEST_F(TalkTest, ExtractionOfAnEmptyTableWritesAnEmptyDump) {
  EXPECT_EQ(Extract(MakeTalkTable(std::vector<std::string>{})), "");
  EXPECT_EQ(window.results.size(), 1u);
  EXPECT_EQ(run.JobLog.Count(), 1u);
}

TEST_F(TalkTest, ExtractionClampsStringsToTheFileAndStopsThemAtNul) {
  std::string table = MakeTalkTable(std::vector<std::string>{std::string("ab\0cd", 5), "xyz"});
  table.resize(table.size() - 1);  // the last string loses a byte
  std::string far = table;
  far[18 + 26 + 18] = '\x7F';  // an offset beyond the end of the file
  EXPECT_EQ(Extract(table), "[00000000]\r\nab\r\n[########]\r\n[00000001]\r\nxy\r\n[########]\r\n");
  EXPECT_EQ(Extract(far), "[00000000]\r\nab\r\n[########]\r\n[00000001]\r\n\r\n[########]\r\n");
}

TEST_F(TalkTest, MalformedTablesAreRefusedWithoutOutput) {
  const std::string good = MakeTalkTable(std::vector<std::string>{"one", "two"});
  auto withField = [&](std::size_t at, std::uint32_t value) {
    std::string bytes = good;
    build::SetU32(bytes, at, value);
    return bytes;
  };
  const std::pair<std::string, const char*> cases[] = {
      {good.substr(0, 17), "too few for the header"},
      {withField(10, 0x40000000), "entry table of 1073741824 entries runs past the end"},
      {withField(14, 40), "strings offset 40 lies inside the entry table"},
      {withField(14, 9999), "strings offset 9999 lies beyond the end"},
  };
  for (const auto& [bytes, fault] : cases) {
    const std::string path = Source(bytes);
    try {
      ExtractTalk(run, path);
      ADD_FAILURE() << fault;
    } catch (const EFormatError& error) {
      EXPECT_EQ(std::string(error.what()).find("Invalid TALK table " + path + ": "), 0u);
      EXPECT_NE(std::string(error.what()).find(fault), std::string::npos) << error.what();
    }
  }
  EXPECT_EQ(test::ListDirectory(run.OutputDir), std::vector<std::string>{});
  EXPECT_EQ(run.JobLog.Count(), 0u);
}

TEST_F(TalkTest, StopDuringExtractionLeavesNothing) {
  run.StopMark = true;
  ExtractTalk(run, Source(MakeTalkTable(std::vector<std::string>{"a", "b"})));
  EXPECT_EQ(test::ListDirectory(run.OutputDir), std::vector<std::string>{});
  EXPECT_TRUE(window.results.empty());
  EXPECT_EQ(run.JobLog.Count(), 0u);
}

// Untouched entries keep their stored bytes: breaks of every kind, blank
// lines, leading and trailing breaks, tokens and bytes behind a NUL.
TEST_F(TalkTest, UntouchedRoundTripGivesTheSourceBack) {
  build::Random random(99);
  std::vector<build::TalkEntry> entries;
  for (int i = 0; i < 400; ++i) entries.push_back({build::RandomTalkString(random, 40), ""});
  for (int i = 0; i < 30; ++i) entries.push_back({build::ParagraphText(random, 1 + i % 4), ""});
  entries.push_back({"5 < 6", ""});  // an unclosed last token is dumped masked to its end
  entries.push_back({"\r\n\r\nlead\r\r\nand trail\n\n", ""});
  entries.push_back({std::string("before\0after", 12), ""});
  const std::string source = MakeTalkTable(entries, "GAP!");
  const std::string sourcePath = Source(source);
  const std::string dump = Extract(source);
  window.results.clear();

  EXPECT_EQ(Insert(sourcePath, dump), 2u);
  EXPECT_EQ(Rebuilt(), source);
  EXPECT_EQ(window.results, std::vector<std::string>{JoinPath(run.OutputDir, "dialog.txt inserted.")});
  EXPECT_EQ(window.labels[Label::Extracted], "Inserted: 432 of 433");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(run.JobLog.Count(), 1u);  // the extraction's line only
}

// Strings of megabytes are compared, masked and copied a window at a time:
// tokens, breaks and a NUL across window borders come back exactly, and an
// edit to one of them changes only that string.
TEST_F(TalkTest, StringsOfMegabytesRoundTripAndTakeEdits) {
  const std::size_t block = std::size_t{1} << 20;  // the reading window
  std::string tokens(2 * block + 300, 'x');
  tokens.replace(block - 3, 8, "<NAME>ab");
  tokens.replace(2 * block - 1, 4, "<A>.");
  tokens.replace(tokens.size() - 10, 3, "< 6");  // an unclosed last token
  std::string lines = std::string(block - 1, 'y') + "\r\n" + std::string(block, 'z') + "\r\n\r\nend";
  std::string nul = std::string(block + 5, 'n') + '\0' + std::string(block, 'm');
  const std::string source = MakeTalkTable(std::vector<std::string>{"short", tokens, lines, nul, "last"});
  const std::string sourcePath = Source(source);
  const std::string dump = Extract(source);
  window.results.clear();
  Insert(sourcePath, dump);
  EXPECT_EQ(Rebuilt(), source);

  std::string edited = dump;
  edited.replace(edited.find("<****>ab"), 8, "<****>AB");
  edited.replace(edited.find("yyyy"), 4, "Y\r\nY");
  Insert(sourcePath, edited);
  const Table after = ParseTable(Rebuilt());
  std::string tokensEdited = tokens;
  tokensEdited.replace(block + 3, 2, "AB");
  std::string linesEdited = lines;
  linesEdited.replace(0, 4, "Y\r\nY");
  EXPECT_EQ(after.strings, (std::vector<std::string>{"short", tokensEdited, linesEdited, nul, "last"}));
}

// One paragraph of a CR LF description translated: only that string changes,
// and it keeps its blank lines and CR LF breaks.
TEST_F(TalkTest, TranslatedParagraphKeepsBlankLinesAndBreakStyle) {
  build::Random random(7);
  std::vector<std::string> strings;
  for (int i = 0; i < 12; ++i) strings.push_back(build::ParagraphText(random, 3));
  strings[5] = "First paragraph.\r\n\r\nSecond <NAME>, line one.\r\nLine two.\r\n\r\nThird.";
  const std::string source = MakeTalkTable(strings);
  const std::string sourcePath = Source(source);
  std::string dump = Extract(source);
  dump.replace(dump.find("Second <****>, line one."), 24, "Zweiter <**>, Zeile eins.");

  Insert(sourcePath, dump);
  const Table before = ParseTable(source);
  const Table after = ParseTable(Rebuilt());
  for (std::size_t i = 0; i < strings.size(); ++i) {
    EXPECT_EQ(after.strings[i], i == 5
                                    ? "First paragraph.\r\n\r\nZweiter <NAME>, Zeile eins.\r\nLine two.\r\n\r\nThird."
                                    : before.strings[i])
        << i;
  }
}

TEST_F(TalkTest, EditedTextGetsTheSourceTokensAndTheLineRules) {
  const std::string sourcePath =
      Source(MakeTalkTable(std::vector<std::string>{"Hello <NAME>!", "<A> and <B>", "x", "y", "z", "keep"}));
  const std::string dump =
      "stray text before\r\n"
      "[00000000]\r\nSalut <****>!\r\n[########]\r\n"
      "[00000001] \r\nHi <*> there\r\n[########]\r\n"
      "[00000002]\r\na\r\n\r\nb\r\n[########]\r\n"
      "[00000003]\r\na\r\n\r\n[########]\r\n"
      "[00000004]\r\n\r\n[########]\r\n"
      "[00000005]\r\nkept\r\n[########]\r\npassed over\r\n[########]\r\n";
  Insert(sourcePath, dump);
  const Table after = ParseTable(Rebuilt());
  EXPECT_EQ(after.strings, (std::vector<std::string>{"Salut <NAME>!", "Hi <A> there", "a\n\nb", "a\n", "", "kept"}));
  EXPECT_EQ(after.offsets[4], after.offsets[3] + 2);  // the empty string sits at the end so far
  EXPECT_EQ(window.results.front(), "Entry 1: 1 token(s) missing in the translation");
}

TEST_F(TalkTest, IdentifierMismatchShowsTheLineAndWritesNothing) {
  const std::string sourcePath = Source(MakeTalkTable(std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Insert(sourcePath, "[00000000]\r\na\r\n[########]\r\n\r\n[00000007]\r\nb\r\n[########]\r\n"), 2u);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Error in line: 5");
  EXPECT_EQ(window.messages[0].caption, "dialog.txt");
  EXPECT_FALSE(RebuiltExists());
  EXPECT_EQ(test::ListDirectory(run.OutputDir), std::vector<std::string>{"dialog.txt"});
}

// The dump is read ahead of the rebuild, thousands of entries at a time: a
// fault deep in a large dump still ends the rebuild with the right line.
TEST_F(TalkTest, FaultsFarIntoALargeDumpAreReportedExactly) {
  const std::string source = MakeTalkTable(std::vector<std::string>(9000, "x"));
  const std::string sourcePath = Source(source);
  const std::string dump = Extract(source);
  const std::size_t entry = dump.find("[00008500]");
  std::string mismatched = dump;
  mismatched.replace(entry, 10, "[00008501]");
  EXPECT_EQ(Insert(sourcePath, mismatched), 2u);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Error in line: " + std::to_string(8500 * 3 + 1));
  EXPECT_FALSE(RebuiltExists());
  EXPECT_THROW(Insert(sourcePath, dump.substr(0, entry)), EFormatError);
  EXPECT_FALSE(RebuiltExists());
}

TEST_F(TalkTest, TruncatedDumpNamesTheDumpAndTheEntry) {
  const std::string sourcePath = Source(MakeTalkTable(std::vector<std::string>{"a", "b"}));
  const std::string dumpPath = run.OutputPath("dialog.txt");
  for (const auto& [dump, which] :
       {std::pair<std::string, std::string>{"[00000000]\r\na\r\n[########]\r\n", "identifier line of entry 1"},
        {"[00000000]\r\na\r\n[########]\r\n[00000001]\r\nb\r\n", "end line of entry 1"}}) {
    try {
      Insert(sourcePath, dump);
      ADD_FAILURE() << which;
    } catch (const EFormatError& error) {
      EXPECT_EQ(std::string(error.what()), "Text dump " + dumpPath + " ends before the " + which);
    }
    EXPECT_FALSE(RebuiltExists());
  }
}

TEST_F(TalkTest, MalformedSourceIsRefusedBeforeAnythingIsWritten) {
  std::string bytes = MakeTalkTable(std::vector<std::string>{"a"});
  build::SetU32(bytes, 14, 10);
  const std::string sourcePath = Source(bytes);
  EXPECT_THROW(Insert(sourcePath, "[00000000]\r\na\r\n[########]\r\n"), EFormatError);
  EXPECT_FALSE(RebuiltExists());
}

TEST_F(TalkTest, RebuildingOntoTheSourceIsRefused) {
  const std::string source = MakeTalkTable(std::vector<std::string>{"a"});
  const std::string sourcePath = Source(source);
  rebuilt = dir / "game";
  try {
    Insert(sourcePath, "[00000000]\r\nchanged\r\n[########]\r\n");
    ADD_FAILURE();
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write " + sourcePath + ": it is the file being read; choose another output folder.");
  }
  EXPECT_EQ(ReadFileBytes(sourcePath), source);
}

TEST_F(TalkTest, GroupWithoutTargetLineConsumesNothing) {
  const std::string sourcePath = Source(MakeTalkTable(std::vector<std::string>{"a"}));
  run.ReplayLines.LoadFromText("#Source: " + sourcePath + "\r\n#Format: TALK\r\n");
  run.SourceArchive = std::make_unique<TFileStream>(sourcePath, FileMode::OpenReadWrite);
  EXPECT_EQ(InsertTalk(run, run.OutputPath("dialog.tlk"), 1), 1u);
  EXPECT_EQ(InsertTalk(run, run.OutputPath("dialog.tlk"), 2), 2u);
  EXPECT_EQ(window.results.size(), 2u);
  EXPECT_FALSE(RebuiltExists());
}

TEST_F(TalkTest, StopDuringRebuildWritesNothing) {
  const std::string sourcePath = Source(MakeTalkTable(std::vector<std::string>{"a"}));
  run.StopMark = true;
  EXPECT_EQ(Insert(sourcePath, "[00000000]\r\na\r\n[########]\r\n"), 2u);
  EXPECT_FALSE(RebuiltExists());
}

TEST_F(TalkTest, MillionEntryTableRoundTrips) {
  std::vector<std::string> strings(1000002);
  strings.back() = "last <ONE>";
  const std::string source = MakeTalkTable(strings);
  const std::string sourcePath = Source(source);
  const std::string dump = Extract(source);
  EXPECT_EQ(dump.substr(dump.size() - 36), "[01000001]\r\nlast <***>\r\n[########]\r\n");
  Insert(sourcePath, dump);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(Rebuilt(), source);
}

// Damaged tables and dumps end in an error or a result, never in a crash.
TEST_F(TalkTest, DamagedInputsNeverCrash) {
  build::Random random(5);
  std::vector<std::string> strings;
  for (int i = 0; i < 6; ++i) strings.push_back(build::RandomTalkString(random, 12));
  const std::string table = MakeTalkTable(strings);
  const std::string dump = Extract(table);
  auto survives = [&](auto&& action) {
    try {
      action();
    } catch (const Exception&) {
    }
  };
  for (std::size_t i = 0; i < table.size(); ++i) {
    survives([&] { ExtractTalk(run, Source(table.substr(0, i))); });
    std::string flipped = table;
    flipped[i] = static_cast<char>(flipped[i] ^ 0xFF);
    survives([&] { ExtractTalk(run, Source(flipped)); });
  }
  const std::string sourcePath = Source(table);
  for (std::size_t i = 0; i < dump.size(); ++i) survives([&] { Insert(sourcePath, dump.substr(0, i)); });
}

}  // namespace
}  // namespace trovex

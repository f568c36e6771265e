#include "archive/Key.hpp"

#include <gtest/gtest.h>

#include "archive/KeyFormat.hpp"
#include "builders/Bytes.hpp"
#include "builders/KeyBuilder.hpp"
#include "framework/Errors.hpp"
#include "framework/MemoryStream.hpp"
#include "framework/Paths.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::KeyArchive;
using build::MakeKey;

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::uint16_t FlagsAt(const std::string& key, std::size_t i) {
  return LoadU16(reinterpret_cast<const unsigned char*>(key.data()) + 24 + 12 * i + 10);
}

class KeyTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  std::string keyPath = dir / "chitin.key";

  void SetUp() override { run.OutputDir = dir.path(); }

  // Replays the listing at listingPath into the KEY file, as replay does.
  std::size_t Update(const std::string& listingText) {
    test::WriteFileBytes(dir / "edited.txt", listingText);
    run.ReplayLines.Clear();
    run.ReplayLines.Add("KEY");
    run.ReplayLines.Add(dir / "edited.txt");
    run.SourcePath = keyPath;
    run.SourceArchive = std::make_unique<TFileStream>(keyPath, FileMode::OpenReadWrite);
    const std::size_t next = UpdateKeyLocations(run, dir / "unused", 1);
    run.SourceArchive.reset();
    return next;
  }
};

TEST(KeyFlagsText, BitZeroComesFirst) {
  EXPECT_EQ(FlagsText(0x0005), "1010000000000000");
  EXPECT_EQ(FlagsText(0x8001), "1000000000000001");
  EXPECT_EQ(FlagsOfText("11"), 0x0003);
  EXPECT_EQ(FlagsOfText(""), 0);
  EXPECT_EQ(FlagsOfText("1x1 00000000011111"), 0xE005);  // beyond 16 characters: ignored
}

TEST_F(KeyTest, ExtractWritesNamesAndFlagsAndLogsTheListing) {
  test::WriteFileBytes(keyPath, MakeKey({{"data\\area.bif", 0x0005}, {"Sounds.bif", 0x8001}}));
  ExtractKey(run, keyPath);
  EXPECT_EQ(test::ReadFileBytes(dir / "chitin.txt"),
            Lines({"data\\area.bif", "1010000000000000", "Sounds.bif", "1000000000000001"}));
  ASSERT_EQ(run.JobLog.Count(), 1u);
  EXPECT_EQ(run.JobLog.Get(0), dir / "chitin.txt");
  EXPECT_TRUE(window.results.empty());
}

TEST_F(KeyTest, EmptyIndexGivesEmptyListing) {
  test::WriteFileBytes(keyPath, MakeKey({}));
  ExtractKey(run, keyPath);
  EXPECT_EQ(test::ReadFileBytes(dir / "chitin.txt"), "");
  EXPECT_EQ(run.JobLog.Count(), 1u);
}

TEST_F(KeyTest, NameWithoutZeroTakesAllItsBytes) {
  std::string key = MakeKey({{"abc", 0}});
  key[24 + 8] = 3;  // name length 3: the terminating zero is no longer inside
  test::WriteFileBytes(keyPath, key);
  ExtractKey(run, keyPath);
  EXPECT_EQ(test::ReadFileBytes(dir / "chitin.txt"), Lines({"abc", "0000000000000000"}));
}

TEST_F(KeyTest, ListingThatWouldReplaceTheKeyFileIsRefused) {
  const std::string path = dir / "index.txt";
  const std::string key = MakeKey({{"a.bif", 1}});
  test::WriteFileBytes(path, key);
  EXPECT_THROW(
      {
        try {
          ExtractKey(run, path);
        } catch (const EFCreateError& error) {
          EXPECT_EQ(std::string(error.what()), "Cannot write " + path + ": it is the file being read; choose another output folder.");
          throw;
        }
      },
      EFCreateError);
  EXPECT_EQ(test::ReadFileBytes(path), key);
}

TEST_F(KeyTest, UneditedListingLeavesTheFileByteForByte) {
  const std::string key = MakeKey({{"data\\a.bif", 0x0005}, {"b.bif", 0xFFFF}, {"c.bif", 0}}, {{"X", 4, 1}});
  test::WriteFileBytes(keyPath, key);
  ExtractKey(run, keyPath);
  EXPECT_EQ(Update(test::ReadFileBytes(dir / "chitin.txt")), 2u);
  EXPECT_EQ(test::ReadFileBytes(keyPath), key);
}

TEST_F(KeyTest, EditedFlagsLandAndNothingElseChanges) {
  std::string key = MakeKey({{"data\\area.bif", 0x0001}, {"b.bif", 0x0002}, {"c.bif", 0x0004}});
  test::WriteFileBytes(keyPath, key);
  // Matched without regard to case; a short text clears the rest; c.bif is
  // missing from the listing and keeps its flags.
  Update(Lines({"DATA\\AREA.BIF", "11", "b.bif", ""}));
  const std::string updated = test::ReadFileBytes(keyPath);
  EXPECT_EQ(FlagsAt(updated, 0), 0x0003);
  EXPECT_EQ(FlagsAt(updated, 1), 0x0000);
  EXPECT_EQ(FlagsAt(updated, 2), 0x0004);
  key[24 + 10] = 3;
  key[24 + 12 + 10] = 0;
  EXPECT_EQ(updated, key);
}

TEST_F(KeyTest, SameNameTwiceTakesTheFirstMatchingLine) {
  test::WriteFileBytes(keyPath, MakeKey({{"a.bif", 0}, {"A.BIF", 0}}));
  Update(Lines({"a.bif", "1", "a.bif", "01"}));
  const std::string updated = test::ReadFileBytes(keyPath);
  EXPECT_EQ(FlagsAt(updated, 0), 1);
  EXPECT_EQ(FlagsAt(updated, 1), 1);
}

// The second archive's name is the listing's last line, with no flags line:
// the first archive's new flags must not be written either.
TEST_F(KeyTest, MissingFlagsLineChangesNothing) {
  const std::string key = MakeKey({{"a.bif", 0}, {"b.bif", 0}});
  test::WriteFileBytes(keyPath, key);
  try {
    Update(Lines({"a.bif", "1111", "b.bif"}));
    FAIL() << "a listing without its last flags line was accepted";
  } catch (const EFormatError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Listing " + (dir / "edited.txt") + " ends after line 3: the flags line of b.bif is missing");
  }
  EXPECT_EQ(test::ReadFileBytes(keyPath), key);
}

TEST_F(KeyTest, AccentedCapitalsMatchTheirSmallLetters) {
  // "\xC9T\xC9.BIF" is ÉTÉ.BIF and "\x8A" "A" is ŠA in the 8-bit code page.
  test::WriteFileBytes(keyPath, MakeKey({{"\xE9t\xE9.bif", 0}, {"\x9A" "a\xFF.bif", 0}, {"x\xD7.bif", 0}}));
  Update(Lines({"\xC9T\xC9.BIF", "1", "\x8A" "A\x9F.BIF", "01", "X\xF7.BIF", "11"}));
  const std::string updated = test::ReadFileBytes(keyPath);
  EXPECT_EQ(FlagsAt(updated, 0), 1);
  EXPECT_EQ(FlagsAt(updated, 1), 2);
  EXPECT_EQ(FlagsAt(updated, 2), 0);  // the multiplication and division signs are no letters
}

// A name in no archive, and a second line of an archive's name, are said to
// be passed over, each with what happened.
TEST_F(KeyTest, ListingNamesThatMatchNoArchiveOrRepeatAnArchiveAreReported) {
  const std::string key = MakeKey({{"a.bif", 0}});
  test::WriteFileBytes(keyPath, key);
  Update(Lines({"a.bif", "0", "gone.bif", "1", "", "", "A.BIF", "1"}));
  EXPECT_EQ(window.results,
            (std::vector<std::string>{"gone.bif is not in chitin.key; its flags are not used.",
                                      "A.BIF is listed more than once; the flags of its first line are used."}));
  EXPECT_EQ(test::ReadFileBytes(keyPath), key);
}

// A name holding a line break would come back from the listing as two lines:
// the listing is refused, and no listing line can change that archive.
TEST_F(KeyTest, NamesWithLineBreaksAreRefusedForListingAndKeepTheirFlags) {
  for (const std::string broken : {"a\r.bif", "a\n.bif", "a\r\n.bif"}) {
    const std::string key = MakeKey({{"b.bif", 0}, {broken, 0}});
    test::WriteFileBytes(keyPath, key);
    run.OutputClaims.Clear();  // each listing is a run of its own
    try {
      ExtractKey(run, keyPath);
      FAIL() << "a name with a line break was listed";
    } catch (const EFormatError& error) {
      EXPECT_EQ(std::string(error.what()), "Invalid KEY index " + keyPath +
                                               ": the name of archive 1 holds a line break, which a listing cannot hold");
    }
    EXPECT_FALSE(PathExists(dir / "chitin.txt"));
    Update(Lines({"b.bif", "1", "a", "1", ".bif", "1", broken, "1"}));
    EXPECT_EQ(FlagsAt(test::ReadFileBytes(keyPath), 0), 1);
    EXPECT_EQ(FlagsAt(test::ReadFileBytes(keyPath), 1), 0);
  }
}

TEST_F(KeyTest, DamagedKeyIsRefusedUnchanged) {
  std::string key = MakeKey({{"a.bif", 0}, {"b.bif", 0}});
  const std::string named = key;
  build::SetU32(key, 24 + 12 + 4, static_cast<std::uint32_t>(key.size()));  // b's name behind the end
  test::WriteFileBytes(keyPath, key);
  EXPECT_THROW(Update(Lines({"a.bif", "1"})), EFormatError);
  EXPECT_EQ(test::ReadFileBytes(keyPath), key);

  test::WriteFileBytes(keyPath, named.substr(0, 40));  // the table cut short
  try {
    Update(Lines({"a.bif", "1"}));
    FAIL() << "a truncated table was accepted";
  } catch (const EFormatError& error) {
    EXPECT_NE(std::string(error.what()).find("Invalid KEY index " + keyPath), std::string::npos);
  }
  EXPECT_EQ(test::ReadFileBytes(keyPath), named.substr(0, 40));
}

TEST_F(KeyTest, JobLogEndingBeforeTheListingLineNamesTheLog) {
  test::WriteFileBytes(keyPath, MakeKey({{"a.bif", 0}}));
  run.ReplayLines.Clear();
  run.ReplayLines.Add("KEY");
  run.ReplayLogPath = dir / "result.log";
  run.SourcePath = keyPath;
  run.SourceArchive = std::make_unique<TFileStream>(keyPath, FileMode::OpenReadWrite);
  try {
    UpdateKeyLocations(run, "", 1);
    FAIL() << "a job log without the listing line was accepted";
  } catch (const EFormatError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Job log " + (dir / "result.log") + " ends after line 1: the listing of " + keyPath + " is missing");
  }
}

// Every truncation and every flipped byte of a valid index either parses or is
// refused with the format error; nothing else escapes.
TEST(KeyIndexSweep, TruncatedAndFlippedFilesNeverCrash) {
  const std::string key = MakeKey({{"data\\a.bif", 1}, {"b.bif", 2}}, {{"R", 4, 7}});
  auto parse = [](const std::string& bytes) {
    TMemoryStream stream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
    try {
      const KeyIndex index = ReadKeyIndex(stream, "sweep.key");
      for (std::size_t i = 0; i < index.entries.size(); ++i) ArchiveName(index, i);
    } catch (const EFormatError&) {
    }
  };
  for (std::size_t length = 0; length < key.size(); ++length) parse(key.substr(0, length));
  for (std::size_t at = 0; at < key.size(); ++at) {
    for (unsigned char bit : {0x01, 0x80, 0xFF}) {
      std::string flipped = key;
      flipped[at] = static_cast<char>(flipped[at] ^ bit);
      parse(flipped);
    }
  }
}

}  // namespace
}  // namespace trovex

// Names from the KEY index: its resource table, the archive that an input
// is, the escaped file names and the named extraction.
#include <gtest/gtest.h>

#include <set>

#include "archive/BiffExtract.hpp"
#include "archive/BiffFormat.hpp"
#include "archive/BiffListing.hpp"
#include "archive/KeyListing.hpp"
#include "archive/KeyResources.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/Bytes.hpp"
#include "builders/ImageBuilder.hpp"
#include "builders/KeyBuilder.hpp"
#include "framework/MemoryStream.hpp"
#include "framework/Paths.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::KeyLocator;

KeyIndex IndexOf(const std::string& bytes) {
  TMemoryStream stream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
  return ReadKeyIndex(stream, "chitin.key");
}

TEST(KeyResources, TableIsReadAndRefusedWhenItLiesOutsideTheFile) {
  const std::string key =
      build::MakeKey({{"a.bif"}}, {{"SPCH1234", 4, KeyLocator(0, 7)}, {"AR01", 0x3EB, KeyLocator(2, 0, 3)}});
  const auto resources = ReadKeyResources(IndexOf(key), "chitin.key");
  ASSERT_EQ(resources.size(), 2u);
  EXPECT_EQ(ResourceName(resources[0]), "SPCH1234");
  EXPECT_EQ(ResourceName(resources[1]), "AR01");
  EXPECT_EQ(resources[1].type, 0x3EB);
  EXPECT_EQ(LocatorArchive(resources[1].locator), 2u);
  EXPECT_EQ(LocatorTileSet(resources[1].locator), 3u);
  EXPECT_EQ(LocatorFile(resources[0].locator), 7u);

  std::string cut = key;
  cut.pop_back();  // the last resource ends past the file
  EXPECT_THROW(ReadKeyResources(IndexOf(cut), "chitin.key"), EFormatError);
  std::string huge = key;
  build::SetU32(huge, 12, 0x40000000);
  EXPECT_THROW(ReadKeyResources(IndexOf(huge), "chitin.key"), EFormatError);
  std::string far = key;
  build::SetU32(far, 20, 0xFFFFFFF0);
  try {
    ReadKeyResources(IndexOf(far), "chitin.key");
    FAIL();
  } catch (const EFormatError& error) {
    EXPECT_EQ(
        std::string(error.what()),
        "Invalid KEY index chitin.key: the resource table of 2 entries at offset 4294967280 lies outside the file");
  }
  EXPECT_THROW(ReadKeyResources(IndexOf(key.substr(0, 20)), "chitin.key"), EFormatError);
}

TEST(KeyResources, ArchiveIsFoundByFoldedFileNameThenByItsLastFolders) {
  const KeyIndex key = IndexOf(build::MakeKey({{"data\\Sounds.bif"},
                                               {"cd2\\data\\SOUNDS.BIF"},
                                               {"Areas.bif"},
                                               {"x/Dup.bif"},
                                               {"y\\dup.bif"},
                                               {"\xC9t\xE9.bif"}}));
  auto found = [&](const std::string& path) {
    const KeyArchiveMatch match = FindKeyArchive(key, path);
    return match.outcome == KeyArchiveMatch::Outcome::Found ? static_cast<int>(match.archive) : -1;
  };
  EXPECT_EQ(found("/g/AREAS.BIF"), 2);            // one archive of the name: folders do not matter
  EXPECT_EQ(found("/g/data/sounds.bif"), 0);      // all of data\'s folders match; cd2\data\ does not
  EXPECT_EQ(found("/g/CD2/Data/Sounds.bif"), 1);  // both match; cd2\data\ matches more
  EXPECT_EQ(found("/g/x/DUP.bif"), 3);
  EXPECT_EQ(found("/g/\xE9T\xC9.BIF"), 5);  // folded in the 8-bit code page
  EXPECT_EQ(FindKeyArchive(key, "/g/Other.bif").outcome, KeyArchiveMatch::Outcome::Missing);
  const KeyArchiveMatch tie = FindKeyArchive(key, "/g/z/dup.bif");
  EXPECT_EQ(tie.outcome, KeyArchiveMatch::Outcome::Ambiguous);
  EXPECT_EQ(tie.candidates, (std::vector<std::string>{"x/Dup.bif", "y\\dup.bif"}));
  EXPECT_EQ(FindKeyArchive(key, "/g/sounds.bif").outcome, KeyArchiveMatch::Outcome::Ambiguous);
}

// A name Windows accepts: no reserved character or control, no trailing dot
// or blank, no device name before its first dot.
bool WindowsAccepts(const std::string& name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  for (unsigned char c : name) {
    if (c < 0x20 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
  }
  std::string base = FoldedName(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  const std::set<std::string> devices = {"con", "prn", "aux", "nul"};
  if (devices.contains(base)) return false;
  return !(base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) && base[3] >= '1' &&
           base[3] <= '9');
}

TEST(KeyResources, EscapedNamesAreValidEverywhereAndStayDifferent) {
  EXPECT_EQ(EscapedResourceName("SPCH1234"), "SPCH1234");
  EXPECT_EQ(EscapedResourceName("A:B%"), "A%3AB%25");
  EXPECT_EQ(EscapedResourceName("\xC9T\x01"), "%C9T%01");
  EXPECT_EQ(EscapedResourceName("DOT. ."), "DOT%2E%20%2E");
  EXPECT_EQ(EscapedResourceName("con"), "%63on");
  EXPECT_EQ(EscapedResourceName("NUL.X"), "%4EUL.X");
  EXPECT_EQ(EscapedResourceName("COM0"), "COM0");
  const auto names = build::AwkwardResourceNames();
  std::set<std::string> escapes, folded, distinct;
  for (const std::string& name : names) {
    const std::string escaped = EscapedResourceName(name);
    for (const std::string& file : {escaped, escaped + ".acm"}) EXPECT_TRUE(WindowsAccepts(file)) << file;
    EXPECT_EQ(escaped.find_first_of("\x7F\x80\xFF"), std::string::npos) << escaped;
    escapes.insert(escaped);
    folded.insert(FoldedName(escaped));
    distinct.insert(FoldedName(name));
  }
  // Different names stay different, also compared as Windows compares.
  EXPECT_EQ(escapes.size(), names.size());
  EXPECT_GE(folded.size(), distinct.size());
}

struct NamedExtraction {
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  NamedExtraction() {
    run.OutputDir = dir / "out";
    ForceDirectories(run.OutputDir);
  }
  std::string Game(const std::string& name, const std::string& bytes) {
    ForceDirectories(DirectoryPart(dir / name));
    test::WriteFileBytes(dir / name, bytes);
    return dir / name;
  }
  std::string Out(const std::string& name) const { return JoinPath(run.OutputDir, test::NativePath(name)); }
};

// Entries are named by their own locators and types, not by their places; an
// entry that the index does not name keeps its numbered name; frames keep
// their numbers.
TEST(NamedExtraction, ItemsTakeTheirResourceNames) {
  NamedExtraction x;
  build::BamShape shape;
  shape.frames = {{4, 3, true}, {2, 2, false}};
  const std::vector<build::BiffItem> items = {
      {4, build::MakeWavc(100, 1), 5},    {4, build::MakeRiffWave(200, 2), 4},
      {1, build::MakeBitmap(3, 3, 3), 3}, {2, "movie", 2},
      {1000, build::MakeBam(shape), 1},   {1004, build::MakeMos(70, 10, 64, 4), 0},
      {4, build::MakeWavc(90, 5), 6},
  };
  x.run.KeyPath = x.Game(
      "chitin.key", build::MakeKey({{"data\\Other.bif"}, {"DATA\\NAMED.BIF"}}, {{"SPCH0001", 4, KeyLocator(1, 5)},
                                                                                {"WRONGARC", 4, KeyLocator(0, 4)},
                                                                                {"MUSIC", 4, KeyLocator(1, 4)},
                                                                                {"WRONGTYP", 2, KeyLocator(1, 3)},
                                                                                {"PORTRAIT", 1, KeyLocator(1, 3)},
                                                                                {"INTRO", 2, KeyLocator(1, 2)},
                                                                                {"GUIMAIN", 1000, KeyLocator(1, 1)},
                                                                                {"AREA01", 1004, KeyLocator(1, 0)}}));
  ExtractBiff(x.run, x.Game("game/data/Named.bif", build::MakeBiff(items)));
  EXPECT_EQ(test::ReadFileBytes(x.Out("ACM Sound/SPCH0001.acm")), items[0].data.substr(28));
  EXPECT_EQ(test::ReadFileBytes(x.Out("RIFF Wave/MUSIC.wav")), items[1].data);
  EXPECT_EQ(test::ReadFileBytes(x.Out("BMP/PORTRAIT.bmp")), items[2].data);
  EXPECT_EQ(test::ReadFileBytes(x.Out("Video/INTRO.mve")), "movie");
  EXPECT_EQ(test::ListDirectory(x.Out("Images")),
            (std::vector<std::string>{"AREA01.bmp", "GUIMAIN_0000.bmp", "GUIMAIN_0001.bmp"}));
  EXPECT_EQ(test::ReadFileBytes(x.Out("ACM Sound/Named_0006.acm")), items[6].data.substr(28));
  EXPECT_EQ(x.run.JobLog.Get(0), "#Target WAV 0x00000000: " + x.Out("ACM Sound/SPCH0001.acm"));
  EXPECT_EQ(x.window.results.size(), 7u);
}

// Two entries whose names meet when letter case is ignored: the later keeps
// its numbered name; an entry whose numbered name a resource name took is
// skipped rather than written over; a MOS may not take a frame's name.
TEST(NamedExtraction, NamesThatMeetLeaveTheLaterItemNumbered) {
  NamedExtraction x;
  build::BamShape shape;
  shape.frames = {{2, 2, true}};
  const std::vector<build::BiffItem> items = {
      {2, "first", 0},
      {2, "second", 1},
      {2, "third", 2},
      {2, "fourth", 3},
      {1000, build::MakeBam(shape), 4},
      {1004, build::MakeMos(8, 8, 64, 1), 5},
  };
  x.run.KeyPath = x.Game("chitin.key", build::MakeKey({{"D.bif"}}, {{"Movie", 2, KeyLocator(0, 0)},
                                                                    {"MOVIE", 2, KeyLocator(0, 1)},
                                                                    {"d_0003", 2, KeyLocator(0, 2)},
                                                                    {"A", 1000, KeyLocator(0, 4)},
                                                                    {"a_0000", 1004, KeyLocator(0, 5)}}));
  ExtractBiff(x.run, x.Game("D.bif", build::MakeBiff(items)));
  EXPECT_EQ(test::ListDirectory(x.Out("Video")), (std::vector<std::string>{"D_0001.mve", "Movie.mve", "d_0003.mve"}));
  EXPECT_EQ(test::ReadFileBytes(x.Out("Video/D_0001.mve")), "second");
  EXPECT_EQ(test::ReadFileBytes(x.Out("Video/d_0003.mve")), "third");
  EXPECT_EQ(test::ListDirectory(x.Out("Images")), (std::vector<std::string>{"A_0000.bmp", "D_0005.bmp"}));
  EXPECT_EQ(
      x.window.results,
      (std::vector<std::string>{
          "Item 1 extracted sucessfully.",
          "D.bif entry 0x00000001: Item 2 keeps its numbered name: its name MOVIE is taken by item 1.",
          "Item 2 extracted sucessfully.", "Item 3 extracted sucessfully.",
          "D.bif entry 0x00000003: Item 4 skipped: its numbered name D_0003 is taken by item 3.",
          "Item 5 extracted sucessfully.",
          "D.bif entry 0x00000005: Item 6 keeps its numbered name: its name a_0000 is taken by item 5.",
          "Item 6 extracted sucessfully."}));
}

TEST(NamedExtraction, ArchivesTheIndexDoesNotTellApartKeepNumberedNames) {
  NamedExtraction x;
  x.run.KeyPath = x.Game("chitin.key", build::MakeKey({{"a\\S.bif"}, {"b\\s.BIF"}}, {{"NAME", 2, KeyLocator(0, 0)}}));
  ExtractBiff(x.run, x.Game("c/S.bif", build::MakeBiff({{2, "m", 0}})));
  ExtractBiff(x.run, x.Game("Missing.bif", build::MakeBiff({{2, "m", 0}})));
  EXPECT_EQ(test::ListDirectory(x.Out("Video")), (std::vector<std::string>{"Missing_0000.mve", "S_0000.mve"}));
  EXPECT_EQ(x.window.results,
            (std::vector<std::string>{
                "S.bif is one of 2 archives of chitin.key (a\\S.bif, b\\s.BIF) that its folders do not tell apart; its "
                "items keep numbered names.",
                "Item 1 extracted sucessfully.", "Missing.bif is not in chitin.key; its items keep numbered names.",
                "Item 1 extracted sucessfully."}));
}

TEST(NamedExtraction, AwkwardNamesAreEscapedInTheFilesWritten) {
  NamedExtraction x;
  const auto names = build::AwkwardResourceNames();
  std::vector<build::BiffItem> items;
  std::vector<build::KeyResource> resources;
  for (std::uint32_t i = 0; i < names.size(); ++i) {
    items.push_back({2, names[i], i});
    resources.push_back({names[i], 2, KeyLocator(0, i)});
  }
  x.run.KeyPath = x.Game("chitin.key", build::MakeKey({{"W.bif"}}, resources));
  ExtractBiff(x.run, x.Game("W.bif", build::MakeBiff(items)));
  for (std::uint32_t i = 0; i < names.size(); ++i) {
    const std::string file = EscapedResourceName(names[i]) + ".mve";
    EXPECT_EQ(test::ReadFileBytes(x.Out("Video/" + file)), names[i]) << file;
  }
  EXPECT_EQ(test::ListDirectory(x.Out("Video")).size(), names.size());
}

TEST(BiffListing, ListsFileAndTileEntriesWithNamesAndForms) {
  test::TempDir dir;
  const std::vector<build::BiffItem> items = {
      {4, build::MakeWavc(100, 1), 0}, {1000, build::CompressItem("BAMCV1  ", "BAM V1  "), 1}, {0x3EF, "script", 2}};
  const std::vector<build::BiffTileSet> tiles = {{2, 16, build::MakeTileData(2, 16, 1), KeyLocator(0, 0, 1)}};
  test::WriteFileBytes(dir / "L.bif", build::MakeBiff(items, tiles, {.tablesAtEnd = false, .maxPadding = 0}));
  const KeyIndex key =
      IndexOf(build::MakeKey({{"L.bif"}}, {{"TAB\tNAME", 4, KeyLocator(0, 0)}, {"AR01", 0x3EB, KeyLocator(0, 0, 1)}}));
  const TArchiveNames names(ReadKeyResources(key, "chitin.key"), 0);
  const std::uint32_t data = 20 + 3 * 16 + 20;
  const std::string bam = build::CompressItem("BAMCV1  ", "BAM V1  ");
  EXPECT_EQ(BiffListing(dir / "L.bif", &names),
            Format("0000\tTAB%%09NAME\t4\tWAV\t100\tWAVC\t%u\n"
                   "0001\t\t1000\tIMAGE\t%zu\tcompressed\t%u\n"
                   "0002\t\t1007\t-\t6\tplain\t%zu\n"
                   "0001\tAR01\t1003\tTILE\t32\tplain\t%zu\n",
                   data, bam.size(), data + 100, data + 100 + bam.size(), data + 100 + bam.size() + 6));
  test::WriteFileBytes(dir / "P.bif", build::CompressBiff(build::MakeBiff(items)));
  EXPECT_THROW(BiffListing(dir / "P.bif", nullptr), EFormatError);
}

TEST(BiffListing, FindsEveryResourceOfANameIgnoringCase) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "chitin.key",
                       build::MakeKey({{"data\\A.bif"}, {"data\\B.bif"}}, {{"GUIMAIN", 1000, KeyLocator(0, 3)},
                                                                           {"guimain", 1004, KeyLocator(1, 0x12)},
                                                                           {"GUIMAINX", 1000, KeyLocator(0, 4)},
                                                                           {"GuiMain", 0x3EB, KeyLocator(1, 0, 2)},
                                                                           {"GUIMAIN", 4, KeyLocator(9, 1)}}));
  EXPECT_EQ(FindKeyResources(dir / "chitin.key", "GuIMaIn"),
            "GUIMAIN\t1000\tdata\\A.bif\t0003\n"
            "guimain\t1004\tdata\\B.bif\t0012\n"
            "GuiMain\t1003\tdata\\B.bif\t0002\n"
            "GUIMAIN\t4\t#9\t0001\n");
  EXPECT_EQ(FindKeyResources(dir / "chitin.key", "GUIMAI"), "");
}

}  // namespace
}  // namespace trovex

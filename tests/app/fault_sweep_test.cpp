// Every write of a small run of each kind of output fails in turn, with a
// full disk or a failing device, and so does every read: the run ends with a
// message naming the file and the cause, nothing partial is left under a
// final name, every output left behind is one the job log names, and the
// sources are unchanged.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "app/MainForm.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/FontBuilder.hpp"
#include "builders/ImageBuilder.hpp"
#include "builders/KeyBuilder.hpp"
#include "builders/TalkBuilder.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/Errors.hpp"
#include "framework/FaultInjection.hpp"
#include "framework/Paths.hpp"
#include "imaging/GlyphSheet.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

constexpr int kBiffFilter = 1;
constexpr int kTalkFilter = 2;
constexpr int kFontFilter = 3;
constexpr int kLogFilter = 7;
constexpr int kCompressFilter = 8;
constexpr int kKeyFilter = 9;

using Files = std::map<std::string, std::string>;

// Every file below folder by its path relative to it, with its bytes.
Files Snapshot(const std::string& folder) {
  Files files;
  if (!PathExists(folder)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[std::filesystem::relative(entry.path(), folder).string()] = test::ReadFileBytes(entry.path().string());
    }
  }
  return files;
}

class FaultSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    previousDir = CurrentDirectory();
    ForceDirectories(dir / "game");
  }
  void TearDown() override {
    faults::FailWrite(0, 0);
    faults::FailRead(0, 0);
    SetCurrentDirectory(previousDir);
  }

  // Runs Process over inputs of a filter into the folder out (made afresh);
  // returns the run's error message, empty when it completed.
  std::string Run(int filter, const std::vector<std::string>& inputs, const std::string& out) {
    // A run leaves the output folder current, and Windows removes no folder
    // that is current.
    SetCurrentDirectory(previousDir);
    std::filesystem::remove_all(out);
    ForceDirectories(out);
    test::FakeWindow window;
    TMainForm form{window};
    form.FormCreate();
    window.openAnswers.push_back({true, filter, inputs});
    form.BAddLogClick();
    window.directoryAnswers.push_back(out);
    std::string message;
    try {
      form.BProcessClick();
    } catch (const Exception& error) {
      message = error.what();
    }
    form.FormDestroy();
    return message;
  }

  // The sweep: a clean run counts the writes (or reads), then the run is
  // repeated with each failing. restore puts the sources back before every run.
  void Sweep(int filter, const std::vector<std::string>& inputs, const std::function<void()>& restore = [] {}) {
    SweepTransfers(filter, inputs, restore, true);
    SweepTransfers(filter, inputs, restore, false);
  }
  void SweepTransfers(int filter, const std::vector<std::string>& inputs, const std::function<void()>& restore,
                      bool writing) {
    const auto fail = writing ? faults::FailWrite : faults::FailRead;
    const std::string out = dir / "out";
    restore();
    const Files sources = Snapshot(dir / "game");
    fail(0, 0);
    ASSERT_EQ(Run(filter, inputs, out), "");
    const std::uint64_t writes = writing ? faults::Writes() : faults::Reads();
    const Files complete = Snapshot(out);
    const Files edited = Snapshot(dir / "game");
    ASSERT_GT(writes, 0u);
    for (std::uint64_t n = 1; n <= writes; ++n) {
      restore();
      const int error = n % 2 ? ENOSPC : EIO;
      fail(n, error);
      const std::string message = Run(filter, inputs, out);
      fail(0, 0);
      SCOPED_TRACE((writing ? "write " : "read ") + std::to_string(n) + " of " + std::to_string(writes) + ": " +
                   message);
      EXPECT_EQ(message.rfind((writing ? "Cannot write to " : "Cannot read from ") + dir.path() + PathSeparator, 0), 0u);
      EXPECT_NE(message.find(std::string(": ") + std::strerror(error)), std::string::npos);
      const Files left = Snapshot(out);
      // Without a job log (its own write failed) the items stay unlogged.
      const bool logFailed = message.find(PathSeparator + std::string("result.log: ")) != std::string::npos;
      const std::string log = left.count("result.log") ? left.at("result.log") : "";
      for (const auto& [name, bytes] : left) {
        EXPECT_EQ(name.find(".part-"), std::string::npos) << name;
        if (name == "result.log") continue;
        EXPECT_EQ(bytes, complete.at(name)) << name << " is partial";
        EXPECT_TRUE(logFailed || log.find(name) != std::string::npos) << name << " is not in the job log";
      }
      const Files now = Snapshot(dir / "game");
      EXPECT_TRUE(now == sources || now == edited) << "a source was half-changed";
    }
  }

  // An extraction of inputs into dir/ext, without faults, for a replay.
  std::string Extracted(int filter, const std::vector<std::string>& inputs) {
    EXPECT_EQ(Run(filter, inputs, dir / "ext"), "");
    return dir / "ext/result.log";
  }

  std::string Game(const std::string& name, const std::string& bytes) {
    test::WriteFileBytes(dir / ("game/" + name), bytes);
    return dir / ("game/" + name);
  }

  std::string previousDir;
  test::TempDir dir;
};

std::string SmallArchive() {
  std::vector<build::BiffItem> items;
  for (std::uint32_t i = 0; i < 6; ++i) items.push_back({4, build::MakeWavc(200 + 50 * i, i)});
  items.push_back({1, build::MakeBitmap(8, 8, 9)});
  items.push_back({4, build::MakeRiffWave(300, 10)});
  // Image items are converted into several files each: a BAM of three frames
  // whose lookup table lies behind its frame data, and a compressed MOS.
  build::BamShape bam;
  bam.frames = {{6, 5}, {3, 4, false}, {7, 2}};
  items.push_back({1000, build::MoveBamTablesBehindData(build::MakeBam(bam), false, true)});
  items.push_back({1004, build::CompressItem("MOSCV1  ", build::MakeMos(70, 20, 64, 11))});
  return build::MakeBiff(items);
}

TEST_F(FaultSweep, ExtractedItems) {
  Sweep(kBiffFilter, {Game("A.bif", SmallArchive()), Game("B.bif", SmallArchive())});
}

TEST_F(FaultSweep, CompressedArchive) {
  Sweep(kCompressFilter, {Game("A.bif", build::MakeBiff({{4, build::MakeSoundData(40000, 3)}}))});
}

TEST_F(FaultSweep, RebuiltArchive) {
  const std::string log = Extracted(kBiffFilter, {Game("A.bif", SmallArchive())});
  test::WriteFileBytes(dir / "ext/ACM Sound/A_0002.acm", "edited sound");
  // A frame re-saved at 24 bits with one pixel painted: read, mapped by
  // colour, and its BAM rebuilt with the lookup table moved.
  const std::string frame = dir / "ext/Images/A_0008_0001.bmp";
  const TBitmap indexed = LoadBitmapFile(frame);
  TBitmap rgb(PixelFormat::pf24bit, indexed.Width(), indexed.Height());
  for (std::uint32_t y = 0; y < rgb.Height(); ++y) {
    for (std::uint32_t x = 0; x < rgb.Width(); ++x) rgb.SetColor(x, y, indexed.Pixel(x, y));
  }
  rgb.SetColor(1, 1, 0xFFFFFF);
  SaveBitmapFile(rgb, frame);
  Sweep(kLogFilter, {log});
}

TEST_F(FaultSweep, StringTableAndItsDump) {
  build::Random random(5);
  std::vector<std::string> strings;
  for (int i = 0; i < 50; ++i) strings.push_back(build::RandomTalkString(random, 30));
  const std::string table = Game("dialog.tlk", build::MakeTalkTable(strings));
  Sweep(kTalkFilter, {table});
  Sweep(kLogFilter, {Extracted(kTalkFilter, {table})});
}

TEST_F(FaultSweep, KeyUpdateInPlace) {
  const std::string key = build::MakeKey({{"data\\a.bif", 1}, {"b.bif", 2}, {"c.bif", 4}});
  const std::string path = Game("chitin.key", key);
  const std::string log = Extracted(kKeyFilter, {path});
  test::WriteFileBytes(dir / "ext/chitin.txt", "data\\a.bif\r\n11\r\nb.bif\r\n\r\nc.bif\r\n001\r\n");
  Sweep(kLogFilter, {log}, [&] { test::WriteFileBytes(path, key); });
}

// A font's sheet written, the font extended in place, and the fonts that
// insertion only reads: one holding the sheet's glyphs already, one whose
// lookup table is too short.
TEST_F(FaultSweep, FontSheetAndInsertion) {
  const std::string path = Game("FONT.fon", build::MakeFont(191, 4));
  const std::string font = test::ReadFileBytes(path);
  const auto restore = [&](const std::string& bytes) { return [&path, bytes] { test::WriteFileBytes(path, bytes); }; };
  Sweep(kFontFilter, {path});
  const std::string log = Extracted(kFontFilter, {path});
  SaveBitmapFile(test::GlyphSheet(64), dir / "ext/FONT.bmp");
  Sweep(kLogFilter, {log}, restore(font));

  restore(font)();
  ASSERT_EQ(Run(kLogFilter, {log}, dir / "out"), "");
  const std::string extended = test::ReadFileBytes(path);
  ASSERT_TRUE(extended != font);
  SweepTransfers(kLogFilter, {log}, restore(extended), false);
  build::FontShape shortLookup;
  shortLookup.cycles = {{100, 0}};
  SweepTransfers(kLogFilter, {log}, restore(build::MakeFontOf(shortLookup)), false);
}

}  // namespace
}  // namespace trovex

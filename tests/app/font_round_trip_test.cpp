#include <gtest/gtest.h>

#include "app/MainForm.hpp"
#include "builders/FontBuilder.hpp"
#include "builders/ImageBuilder.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/Paths.hpp"
#include "imaging/GlyphSheet.hpp"
#include "joblog/Replay.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// A font extracted through the dispatch table, its sheet given 64 glyphs,
// and the job log replayed: the font changes in place and gets the glyphs.
TEST(FontReplay, ExtractedSheetGoesBackThroughTheJobLog) {
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  run.OutputDir = dir / "out";
  ForceDirectories(run.OutputDir);
  const std::string font = dir / "FONT.fon";
  test::WriteFileBytes(font, build::MakeFont(191, 12));
  DispatchHandler(run, fcFont, font);
  ASSERT_EQ(run.JobLog.Count(), 1u);
  const std::string sheetPath = run.OutputPath("FONT.bmp");
  EXPECT_EQ(run.JobLog.Get(0), "#Target: " + sheetPath);

  // The user paints 64 glyphs on a sheet of that name.
  const TBitmap sheet = test::GlyphSheet(64);
  SaveBitmapFile(sheet, sheetPath);
  test::WriteFileBytes(dir / "result.log", "#Format: FONT\r\n#Source: " + font + "\r\n#Target: " + sheetPath + "\r\n");
  window.results.clear();
  ReplayJobLog(run, dir / "result.log");
  const std::string changed = test::ReadFileBytes(font);
  EXPECT_EQ(static_cast<unsigned char>(changed[8]), 255);
  EXPECT_TRUE(window.results.empty());
}

struct FontProject {
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  std::string font = dir / "FONT.fon";
  std::string log = dir / "result.log";

  // Extracts the font and writes the job log that replays its sheet.
  explicit FontProject(const std::string& bytes) {
    run.OutputDir = dir / "out";
    ForceDirectories(run.OutputDir);
    test::WriteFileBytes(font, bytes);
    DispatchHandler(run, fcFont, font);
    test::WriteFileBytes(log, "#Format: FONT\r\n#Source: " + font + "\r\n" + run.JobLog.Get(0) + "\r\n");
  }
  std::string Replay() {
    window.results.clear();
    run.OutputClaims.Clear();  // each replay is a run of its own
    ReplayJobLog(run, log);
    return window.results.empty() ? "" : window.results.back();
  }
};

// Fonts of every layout come back byte for byte from an unedited sheet.
TEST(FontReplay, UneditedSheetsLeaveEveryFontAsItWas) {
  std::vector<build::FontShape> shapes(5);
  shapes[0].cycles = {{96, 0}};
  shapes[1].cycles = {{200, 0}};
  shapes[1].paletteBehindLookup = true;
  shapes[2].frameCount = 255;
  shapes[3].paletteColours = 16;
  shapes[4].frameCount = 700;
  shapes[4].tallest = 100;
  for (const build::FontShape& shape : shapes) {
    const std::string bytes = build::MakeFontOf(shape);
    FontProject project(bytes);
    EXPECT_EQ(project.Replay(), "FONT.fon: glyph sheet unchanged; nothing inserted.");
    EXPECT_TRUE(test::ReadFileBytes(project.font) == bytes);
  }
}

// Translators replay their whole project after every fix: the glyphs go in
// once, and the font keeps its size however often the log is replayed.
TEST(FontReplay, ReplayingTheSameLogAgainAddsNothing) {
  for (const std::uint16_t frames : {191, 100}) {
    FontProject project(build::MakeFont(frames, 13));
    SaveBitmapFile(test::GlyphSheet(64), project.run.OutputPath("FONT.bmp"));
    EXPECT_EQ(project.Replay(), "");
    const std::string first = test::ReadFileBytes(project.font);
    for (int again = 0; again < 3; ++again) {
      EXPECT_EQ(project.Replay(), "FONT.fon: glyph sheet already inserted; nothing inserted.");
      EXPECT_EQ(test::ReadFileBytes(project.font).size(), first.size());
    }
    EXPECT_TRUE(test::ReadFileBytes(project.font) == first);
  }
}

}  // namespace
}  // namespace trovex

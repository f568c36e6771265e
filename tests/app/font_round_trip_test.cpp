#include <gtest/gtest.h>

#include "app/MainForm.hpp"
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

}  // namespace
}  // namespace trovex

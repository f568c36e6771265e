// Font insertion is killed at each of its writes and at moments spread over
// its run, in a child process (see KilledReplay.hpp).
#include "builders/FontBuilder.hpp"
#include "framework/BitmapFile.hpp"
#include "imaging/GlyphSheet.hpp"
#include "joblog/KilledReplay.hpp"

namespace trovex {
namespace {

// The child's part; run only by the case below, never on its own.
TEST(FontInsertionKilled, DISABLED_ChildReplay) { test::ChildReplay(); }

// A font of 191 tall frames, so that reading it and comparing its sheet
// take a while, gets 64 glyphs; the sheet lies beside it in the game folder.
TEST(FontInsertionKilled, LeavesTheOldOrTheNewFontAndNoTemporary) {
  test::TempDir dir;
  const std::string game = dir / "game";
  ForceDirectories(game);
  build::FontShape shape;
  shape.tallest = 400;
  SaveBitmapFile(test::GlyphSheet(64), dir / "game/FONT.bmp");
  const std::string log = dir / "game/job.log";
  test::WriteFileBytes(log, "#Format: FONT\r\n#Source: " + (dir / "game/FONT.fon") + "\r\n#Target: " +
                                (dir / "game/FONT.bmp") + "\r\n");
  const test::KilledReplays replays{dir.path(),
                                    "FontInsertionKilled.DISABLED_ChildReplay",
                                    log,
                                    game,
                                    dir / "game/FONT.fon",
                                    build::MakeFontOf(shape),
                                    {"FONT.bmp", "FONT.fon", "job.log"}};
  replays.Sweep();
}

}  // namespace
}  // namespace trovex

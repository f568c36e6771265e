// A KEY update is killed at each of its writes and at moments spread over its
// run, in a child process (see KilledReplay.hpp).
#include "builders/KeyBuilder.hpp"
#include "joblog/KilledReplay.hpp"

namespace trovex {
namespace {

// The child's part; run only by the case below, never on its own.
TEST(KeyUpdateKilled, DISABLED_ChildReplay) { test::ChildReplay(); }

TEST(KeyUpdateKilled, LeavesTheOldOrTheNewFileAndNoTemporary) {
  test::TempDir dir;
  const std::string game = dir / "game";
  ForceDirectories(game);
  std::vector<build::KeyArchive> archives;
  for (int i = 0; i < 3000; ++i) archives.push_back({"data\\archive" + std::to_string(i) + ".bif", 1});
  std::string listing;
  for (const auto& archive : archives) listing += archive.name + "\r\n01\r\n";
  test::WriteFileBytes(dir / "game/listing.txt", listing);
  const std::string log = dir / "game/job.log";
  test::WriteFileBytes(log, "#Format: KEY\r\n#Source: " + (dir / "game/chitin.key") + "\r\n" +
                                (dir / "game/listing.txt") + "\r\n");
  const test::KilledReplays replays{dir.path(),
                                    "KeyUpdateKilled.DISABLED_ChildReplay",
                                    log,
                                    game,
                                    dir / "game/chitin.key",
                                    build::MakeKey(archives),
                                    {"chitin.key", "job.log", "listing.txt"}};
  replays.Sweep();
}

}  // namespace
}  // namespace trovex

// Items of several megabytes, extracted and rebuilt where the kernel does not
// copy between the files itself: the game and the output on two file systems,
// and the kernel's copy refused (as always on Windows). Every copy then goes
// through the file layer's buffer of a megabyte, so all but an item's first
// megabyte depends on that buffer's offsets.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/BiffExtract.hpp"
#include "archive/BiffFormat.hpp"
#include "archive/BiffInsert.hpp"
#include "builders/BiffBuilder.hpp"
#include "framework/Paths.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::BiffItem;

constexpr std::size_t kMiB = 1 << 20;

std::vector<BiffItem> LargeItems() {
  return {
      {rtSound, build::MakeWavc(3 * kMiB + 333, 1), 10},       // copied from 28 bytes into the entry
      {rtSound, build::MakeRiffWave(2 * kMiB + 4097, 2), 11},  // edited below
      {rtSound, build::MakeWavc(900, 3), 12},
      {rtBitmap, build::MakeBitmap(1500, 1201, 4), 13},
      {rtMovie, build::MakeMovie(5 * kMiB + 1, 5), 14},
  };
}

// The extracted file of each item, as the target lines name them.
std::vector<std::string> ExtractedFiles(const RunState& run) {
  std::vector<std::string> files;
  for (const std::string& line : run.JobLog.Lines()) files.push_back(line.substr(line.find(": ") + 2));
  return files;
}

// Extracts the archive from gameDir into outDir, checks every extracted file,
// replaces the RIFF wave with an edited one and rebuilds the archive into each
// of rebuildDirs; each rebuilt archive must be the edited archive, byte for byte.
void ExtractEditRebuild(const std::string& gameDir, const std::string& outDir,
                        const std::vector<std::string>& rebuildDirs) {
  std::vector<BiffItem> items = LargeItems();
  const std::string gamePath = JoinPath(gameDir, "Big.bif");
  test::WriteFileBytes(gamePath, build::MakeBiff(items));
  test::FakeWindow window;
  RunState run{window};
  run.OutputDir = JoinPath(outDir, "out");
  ForceDirectories(run.OutputDir);
  ExtractBiff(run, gamePath);

  const std::vector<std::string> files = ExtractedFiles(run);
  ASSERT_EQ(files.size(), items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::size_t skip = items[i].data.starts_with("WAVC") ? 28 : 0;
    EXPECT_TRUE(test::ReadFileBytes(files[i]) == items[i].data.substr(skip)) << "extracted item " << i << " differs";
  }
  items[1].data = build::MakeRiffWave(4 * kMiB + 7, 99);
  test::WriteFileBytes(files[1], items[1].data);
  const std::string edited = build::MakeBiff(items);

  for (const std::string& rebuildDir : rebuildDirs) {
    run.OutputDir = JoinPath(rebuildDir, "new");
    ForceDirectories(run.OutputDir);
    run.ReplayLines.Clear();
    run.ReplayLines.Add("#Source: " + gamePath);
    for (const std::string& line : run.JobLog.Lines()) run.ReplayLines.Add(line);
    run.SourcePath = gamePath;
    run.SourceArchive = std::make_unique<TFileStream>(gamePath, FileMode::OpenReadWrite);
    InsertBiff(run, run.OutputPath("Big.bif"), 1);
    run.SourceArchive.reset();
    EXPECT_TRUE(test::ReadFileBytes(run.OutputPath("Big.bif")) == edited) << "rebuilt in " << rebuildDir << " differs";
  }
}

TEST(LargeItems, ExtractAndRebuildAcrossFileSystems) {
  const std::string other = test::OtherFileSystemBase();
  if (other.empty()) GTEST_SKIP() << "no second file system (a memory file system at /dev/shm) to put the game on";
  test::TempDir disk;
  test::TempDir memory(other);
  // The game on the memory file system, its extraction on disk; rebuilt on
  // disk (its unchanged entries cross) and in memory (the edited file crosses).
  ExtractEditRebuild(memory.path(), disk.path(), {disk.path(), memory.path()});
}

TEST(LargeItems, ExtractAndRebuildWithTheKernelsCopyRefused) {
  test::TempDir dir;
  test::KernelCopyRefusal refusal;
  ExtractEditRebuild(dir.path(), dir.path(), {dir.path()});
}

}  // namespace
}  // namespace trovex

// The window's runs over the sample game files write what trovex-cli writes
// for the same files. Under wine this is the Windows window checked against
// the Windows trovex-cli, whose outputs the Windows comparison checks against
// the Linux build's.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "gui/WindowFixture.hpp"
#include "support/Process.hpp"

namespace trovex {
namespace {

namespace fs = std::filesystem;

// Every file below root by its path relative to root ("/"-separated), with
// its bytes; the job log with root spelled as "OUT".
std::map<std::string, std::string> FolderContents(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes = test::ReadFileBytes(entry.path().string());
    const std::string name = entry.path().lexically_relative(root).generic_string();
    if (name == "result.log") {
      for (std::size_t at = bytes.find(root); at != std::string::npos; at = bytes.find(root, at)) {
        bytes.replace(at, root.size(), "OUT");
      }
    }
    files[name] = bytes;
  }
  return files;
}

struct SampleRun {
  int filter;  // the open dialog's filter of the input type
  const char* type;
  std::vector<std::string> files;
};

TEST_F(Window, RunsOverTheSampleFilesWriteWhatTheCommandLineWrites) {
  ASSERT_EQ(test::RunProcess({TROVEX_SAMPLE_PATH, dir / "game"}).status, 0);
  const SampleRun runs[] = {{kBiffFilter, "biff", {"Sounds.bif", "Images.bif", "Area.bif"}},
                            {2, "talk", {"dialog.tlk"}},
                            {5, "mve", {"INTRO.MVE", "VOICE.MVE"}}};
  for (const SampleRun& run : runs) {
    SCOPED_TRACE(run.type);
    std::vector<std::string> paths;
    for (const std::string& file : run.files) paths.push_back(dir / ("game/" + file));
    const std::string byWindow = dir / (std::string("window-") + run.type);
    const std::string byCli = dir / (std::string("cli-") + run.type);

    window.Port().ListClear();
    openAnswers.push_back({true, run.filter, paths});
    Click(Button::BAddLog);
    ASSERT_EQ(window.Port().ListCount(), int(paths.size()));
    directoryAnswers.push_back(byWindow);
    ForceDirectories(byWindow);
    boxes.clear();
    Click(Button::BProcess);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "Operation complete!");

    std::vector<std::string> args = {"--type", run.type, "--output", byCli};
    args.insert(args.end(), paths.begin(), paths.end());
    ASSERT_EQ(test::RunCli(args).status, 0);

    const auto written = FolderContents(byWindow);
    EXPECT_GT(written.size(), paths.size());
    EXPECT_TRUE(written == FolderContents(byCli));
  }
}

}  // namespace
}  // namespace trovex

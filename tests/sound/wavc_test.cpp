#include "sound/Wavc.hpp"

#include <gtest/gtest.h>

#include "builders/BiffBuilder.hpp"
#include "framework/Errors.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

class WavcTest : public ::testing::Test {
 protected:
  test::TempDir in, out;
  test::FakeWindow window;
  RunState run{window};

  void SetUp() override { run.OutputDir = out.path(); }
};

TEST_F(WavcTest, WritesTheDataBehindTheHeader) {
  const std::string sound = build::MakeWavc(1000, 5);
  test::WriteFileBytes(in / "SOUND01.WAV", sound);
  ConvertWavcToAcm(run, in / "SOUND01.WAV");
  EXPECT_EQ(test::ReadFileBytes(out / "SOUND01.acm"), sound.substr(28));
  EXPECT_EQ(run.JobLog.Get(0), "#Target WAVACM: " + out / "SOUND01.acm");
  EXPECT_EQ(window.results, (std::vector<std::string>{"SOUND01.WAV converted."}));
}

// A second input of the same name in one run is refused: the first one's
// output stays.
TEST_F(WavcTest, NamesWithoutExtensionAndTheSameNameTwice) {
  test::WriteFileBytes(in / "noext", std::string(28, 'h') + "data");
  ConvertWavcToAcm(run, in / "noext");
  EXPECT_EQ(test::ReadFileBytes(out / "noext.acm"), "data");
  std::filesystem::create_directory(in / "other");
  test::WriteFileBytes(in / "other/noext", std::string(28, 'h') + "second");
  ConvertWavcToAcm(run, in / "other/noext");
  EXPECT_EQ(test::ReadFileBytes(out / "noext.acm"), "data");
  EXPECT_EQ(window.results.back(), in / "other/noext" + " refused: " + out / "noext.acm" + " is an output of " +
                                       in / "noext" + " in this run; nothing of it is written.");
  // A header alone gives an empty file.
  test::WriteFileBytes(in / "empty.wav", std::string(28, 'h'));
  ConvertWavcToAcm(run, in / "empty.wav");
  EXPECT_EQ(test::ReadFileBytes(out / "empty.acm"), "");
}

TEST_F(WavcTest, RefusesAFileShorterThanTheHeader) {
  test::WriteFileBytes(in / "short.wav", std::string(27, 'h'));
  try {
    ConvertWavcToAcm(run, in / "short.wav");
    FAIL() << "no error";
  } catch (const EFormatError& error) {
    EXPECT_NE(std::string(error.what()).find(in / "short.wav"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(test::ListDirectory(out.path()).empty());
  EXPECT_EQ(run.JobLog.Count(), 0u);
  EXPECT_TRUE(window.results.empty());
}

TEST_F(WavcTest, RefusesToOverwriteItsOwnInput) {
  test::WriteFileBytes(out / "same.acm", std::string(40, 'x'));
  EXPECT_THROW(ConvertWavcToAcm(run, out / "same.acm"), EFCreateError);
  EXPECT_EQ(test::ReadFileBytes(out / "same.acm"), std::string(40, 'x'));
}

}  // namespace
}  // namespace trovex

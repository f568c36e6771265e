#include <gtest/gtest.h>

#include "app/MainForm.hpp"
#include "builders/BiffBuilder.hpp"
#include "framework/Paths.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

TEST(StopMark, StoppedRunKeepsCompletedEntriesAndTheNextProcessClearsTheMark) {
  const std::string previousDir = CurrentDirectory();
  test::TempDir dir;
  const std::string archive = build::MakeBiff({{4, build::MakeWavc(100, 1)}, {4, build::MakeWavc(200, 2)}});
  for (const char* name : {"A.bif", "B.bif", "C.bif"}) test::WriteFileBytes(dir / name, archive);
  test::FakeWindow window;
  TMainForm form(window);
  form.FormCreate();
  window.openAnswers.push_back({true, 1, {dir / "A.bif", dir / "B.bif", dir / "C.bif"}});
  form.BAddLogClick();
  window.directoryAnswers.push_back(dir / "out");
  ForceDirectories(dir / "out");
  // Stop is pressed while the second archive is being extracted.
  window.onPump = [&] {
    if (window.IsEnabled(Button::Stop) && form.Run().JobLog.Count() > 4) form.StopClick();
  };
  form.BProcessClick();
  SetCurrentDirectory(previousDir);

  EXPECT_EQ(window.messages.back().text, "Operation stopped.");
  EXPECT_EQ(window.messages.back().caption, "Process status:");
  const std::string log = test::ReadFileBytes(dir / "out/result.log");
  EXPECT_NE(log.find("#Source: " + (dir / "A.bif")), std::string::npos);
  EXPECT_NE(log.find("#Target WAV 0x00000001: "), std::string::npos);
  EXPECT_EQ(log.find("C.bif"), std::string::npos);
  // Every target line of the log names a complete file.
  TStringList lines;
  lines.LoadFromText(log);
  for (const auto& line : lines.Lines()) {
    if (line.rfind("#Target", 0) == 0) {
      EXPECT_TRUE(IsRegularFile(line.substr(line.find(": ") + 2))) << line;
    }
  }

  window.onPump = nullptr;
  window.directoryAnswers.push_back(dir / "out");
  form.BProcessClick();
  EXPECT_EQ(window.messages.back().text, "Operation complete!");
  EXPECT_NE(test::ReadFileBytes(dir / "out/result.log").find("C.bif"), std::string::npos);
  SetCurrentDirectory(previousDir);
}

}  // namespace
}  // namespace trovex

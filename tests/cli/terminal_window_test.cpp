#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/TerminalWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// Output captured in files, which the tests close.
struct Captured {
  std::string Out() {
    std::fflush(out);
    return test::ReadFileBytes(dir / "out");
  }
  std::string Err() {
    std::fflush(err);
    return test::ReadFileBytes(dir / "err");
  }
  test::TempDir dir;
  std::FILE* out = std::fopen((dir / "out").c_str(), "wb");
  std::FILE* err = std::fopen((dir / "err").c_str(), "wb");
};

TEST(TerminalWindow, ResultsAndCompletionGoToStandardOutputOtherBoxesToStandardError) {
  Captured io;
  TTerminalWindow window({}, "/tmp", io.out, io.err, false);
  window.AppendResult("Item 1 extracted sucessfully.");
  window.ShowMessage("Error in line: 7", "dialog.txt");
  window.ShowMessage("Operation complete!", "Process status:");
  window.ShowMessage("No caption", "");
  EXPECT_EQ(io.Out(), "Item 1 extracted sucessfully.\nOperation complete!\n");
  EXPECT_EQ(io.Err(), "trovex-cli: dialog.txt: Error in line: 7\ntrovex-cli: No caption\n");
  EXPECT_TRUE(window.ShowedOtherMessage());
  EXPECT_EQ(window.ResultLineCount(), 1);
  std::fclose(io.out);
  std::fclose(io.err);
}

TEST(TerminalWindow, StatusLineIsDrawnOnlyWhenAskedAndClearedBeforeResults) {
  Captured io;
  TTerminalWindow quiet({}, "/tmp", io.out, io.err, false);
  quiet.SetLabel(Label::CurrentMessage, "Processing a.bif...");
  EXPECT_EQ(io.Err(), "");
  TTerminalWindow drawing({}, "/tmp", io.out, io.err, true);
  drawing.SetLabel(Label::CurrentMessage, "Processing a.bif...");
  drawing.SetBarPosition(Bar::Progress, 40);
  EXPECT_NE(io.Err().find("Processing a.bif...  [40%] total [0%]"), std::string::npos);
  drawing.AppendResult("line");
  EXPECT_EQ(io.Out(), "line\n");
  std::fclose(io.out);
  std::fclose(io.err);
}

TEST(TerminalWindow, InterruptIsDeliveredOnceAtTheNextPump) {
  Captured io;
  TTerminalWindow window({}, "/tmp", io.out, io.err, false);
  int stops = 0;
  window.onInterrupt = [&] { ++stops; };
  window.ProcessMessages();
  EXPECT_EQ(stops, 0);
  TTerminalWindow::RequestInterrupt();
  window.ProcessMessages();
  window.ProcessMessages();
  EXPECT_EQ(stops, 1);
  std::fclose(io.out);
  std::fclose(io.err);
}

}  // namespace
}  // namespace trovex

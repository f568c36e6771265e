#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/TerminalWindow.hpp"

namespace trovex {
namespace {

// Output captured in memory streams.
struct Captured {
  Captured() : out(open_memstream(&outText, &outSize)), err(open_memstream(&errText, &errSize)) {}
  ~Captured() {
    std::free(outText);
    std::free(errText);
  }
  std::string Out() {
    std::fflush(out);
    return {outText, outSize};
  }
  std::string Err() {
    std::fflush(err);
    return {errText, errSize};
  }
  char* outText = nullptr;
  std::size_t outSize = 0;
  char* errText = nullptr;
  std::size_t errSize = 0;
  std::FILE* out;
  std::FILE* err;
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

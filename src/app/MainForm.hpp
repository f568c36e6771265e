// The main window's logic, written once against the window port: the input
// list commands, Process with its dispatch, and progress.
#pragma once

#include <cstdint>
#include <string>

#include "run/RunState.hpp"
#include "run/WindowPort.hpp"

namespace trovex {

// Calls the extraction handler of a format code; codes without one call none.
void DispatchHandler(RunState& run, std::uint8_t code, const std::string& path);

class TMainForm {
 public:
  explicit TMainForm(TWindowPort& window);
  ~TMainForm();

  // Window creation and destruction.
  void FormCreate();
  void FormDestroy();

  // Commands.
  void BAddLogClick();
  void BRemLogClick();
  void BClearAllClick();
  void BSaveListClick();
  void SaveLogClick();
  void StopClick();
  void BExitClick();
  void BProcessClick();

  // One list entry: focus, buttons, the handler of the code.
  void DispatchFormat(std::uint8_t code, const std::string& path);
  // The progress routine handed to the movie codec library.
  void ReportProgress(int position);

  std::uint8_t FormatCode() const { return formatCode_; }
  bool Running() const { return running_; }
  std::uint64_t TotalBytes() const { return totalBytes_; }
  RunState& Run() { return run_; }
  TWindowPort& Window() { return window_; }

 private:
  void EnableListCommands(bool enabled);
  void RunEntries();
  // Removes the group opened at groupStart when it logged no target line.
  void DropEmptyGroup(std::size_t groupStart);
  // Writes result.log for an extraction run that logged anything.
  void SaveJobLog();
  void FinishRun();

  TWindowPort& window_;
  RunState run_;
  std::uint8_t formatCode_ = 0;
  std::uint64_t totalBytes_ = 0;
  bool running_ = false;
};

}  // namespace trovex

// The main window's logic, written once against the window port: the input
// list commands, Process with its dispatch, and progress.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/ProgressWindow.hpp"
#include "app/RunSummary.hpp"
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
  // Files dropped on the list (or named when the program starts): added as
  // by Add, with the input type their extension gives; files of mixed or
  // unknown types are refused with a message that says why.
  void AddDroppedFiles(const std::vector<std::string>& paths);

  // One list entry: focus, buttons, the handler of the code.
  void DispatchFormat(std::uint8_t code, const std::string& path);
  // The progress routine handed to the movie codec library.
  void ReportProgress(int position);
  static void TROVEX_LIBRARY_CALL ReportProgress(void* form, std::int32_t position);

  std::uint8_t FormatCode() const { return formatCode_; }
  bool Running() const { return running_; }
  std::uint64_t TotalBytes() const { return totalBytes_; }
  RunState& Run() { return run_; }
  TWindowPort& Window() { return window_; }

 private:
  void EnableListCommands(bool enabled);
  std::vector<std::string> ListEntries() const;
  // Add's step 3 onwards for files of one input type. When the list holds
  // entries of another type the user is asked first; No keeps the list.
  void AddFiles(const InputType& type, const std::vector<std::string>& paths);
  // The type chosen in the open dialog when the files' extensions fit it, or
  // the type the user agrees to take instead; nothing when refused.
  const InputType* CheckedType(const InputType& chosen, const std::vector<std::string>& paths);
  // The commands that edit the list or start a run, off for a run and back
  // as the list's state gives after it.
  void EnableRunCommands(bool enabled);
  void ResetRunDisplay();
  void ShowInputType();
  void ClaimJobLog();
  void RunEntries();
  // Removes the group opened at groupStart when it logged no target line.
  void DropEmptyGroup(std::size_t groupStart);
  // Writes result.log for an extraction run that logged anything.
  void SaveJobLog();
  void FinishRun();
  // The message of an error that ended the run at entry index: it names the
  // entry, once.
  std::string EntryError(const std::string& message, int index, const std::string& entry) const;

  TWindowPort& window_;
  TProgressWindow progress_;
  RunState run_;
  TRunSummary summary_;
  std::uint8_t formatCode_ = 0;
  std::uint64_t totalBytes_ = 0;
  bool running_ = false;
};

}  // namespace trovex

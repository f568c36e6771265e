// The state of one run, handed to every handler: the job log, the replay
// lines, the output directory, the replay source and the window port.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/FileStream.hpp"
#include "framework/StringList.hpp"
#include "run/Formats.hpp"
#include "run/Kinds.hpp"
#include "run/OutputClaims.hpp"
#include "run/TalkChoices.hpp"
#include "run/WindowPort.hpp"

namespace trovex {

// The calling convention of routines handed to outside libraries.
#if defined(_WIN32)
#define TROVEX_LIBRARY_CALL __stdcall
#else
#define TROVEX_LIBRARY_CALL
#endif

// A progress routine for outside libraries: routine(context, position 0..100).
using LibraryProgressRoutine = void(TROVEX_LIBRARY_CALL*)(void* context, std::int32_t position);

struct RunState {
  explicit RunState(TWindowPort& window);

  TWindowPort& Window;
  TStringList JobLog;
  TStringList ReplayLines;
  // The job log that ReplayLines were read from.
  std::string ReplayLogPath;
  std::string OutputDir;
  // During replay, the file named by the current "#Source:" line.
  std::unique_ptr<TFileStream> SourceArchive;
  std::string SourcePath;
  std::uint8_t ReplayFormat = fcNoFormat;
  // Archive resource kinds that extraction writes.
  KindSet ExtractKinds = kAllKinds;
  // Archive items that extraction passed over, over the whole run.
  std::size_t SkippedItems = 0;
  // What replay did with each "#Source:" group, in order, over the whole run:
  // the game file, the file written for it (the game file itself when it is
  // changed in place), and whether that file was written.
  struct ReplayedSource {
    std::string source;
    std::string output;
    bool inPlace = false;
    bool written = false;
  };
  std::vector<ReplayedSource> Replayed;
  // The output names that the run's inputs have claimed.
  TOutputClaims OutputClaims;
  // Set when ClaimOutputs refuses an input; the driver clears it before each.
  bool InputRefused = false;
  // The KEY index that names the items of archive extraction; empty: none.
  std::string KeyPath;
  // What string table extraction writes.
  TalkChoices Talk;
  // Set by Stop (or Ctrl-C); honoured between entries and in item loops.
  std::atomic<bool> StopMark{false};
  // What outside libraries call to show their progress, and its context: the
  // main window's ReportProgress, or SetProgress of this run by default.
  LibraryProgressRoutine ProgressRoutine;
  void* ProgressContext;

  bool StopRequested() const { return StopMark.load(); }

  // OutputDir + separator + name.
  std::string OutputPath(const std::string& name) const;

  // Claims the names that input is about to write, before any is written.
  // When one is claimed already, the input is refused with a Results line
  // naming both inputs, and false is returned: nothing of it may be written.
  bool ClaimOutputs(const std::string& input, const OutputPlan& plan);

  // Reporting helpers for handlers.
  void Message(const std::string& text) { Window.SetLabel(Label::CurrentMessage, text); }
  void Result(const std::string& line) { Window.AppendResult(line); }
  void Pump() { Window.ProcessMessages(); }
  // Starts the Progress bar at 0 of 100.
  void StartProgress();
  // Sets Progress and pumps, only when the position changes.
  void SetProgress(int position);
};

}  // namespace trovex

// The state of one run, handed to every handler: the job log, the replay
// lines, the output directory, the replay source and the window port.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/FileStream.hpp"
#include "framework/StringList.hpp"
#include "run/Formats.hpp"
#include "run/Kinds.hpp"
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

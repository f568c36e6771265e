// What a run wrote and where, in the words of the window's status line: one
// sentence per input as it finishes, and the run's totals at its end. Both
// front ends show these texts (the window at its foot, trovex-cli --verbose
// on standard error).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Platform.hpp"
#include "run/RunState.hpp"

namespace trovex {

class TRunSummary {
 public:
  // Starts counting for a run of format code into outputDir.
  void Begin(std::uint8_t formatCode, const std::string& outputDir);

  // Call before an input's handler runs, once its "#Format:" and "#Source:"
  // lines are logged, and after it, for the input's sentences.
  void BeforeInput(const RunState& run, const std::string& input);
  std::vector<std::string> AfterInput(const RunState& run, const std::string& input);

  // The closing sentence of a run: how many inputs, what was written, where,
  // and after an extraction how the edits go back.
  enum class Ending { Complete, Stopped, Failed };
  std::string Totals(Ending ending, int inputCount) const;

 private:
  std::vector<std::string> ExtractionSentence(const RunState& run, const std::string& input);
  std::vector<std::string> ReplaySentences(const RunState& run);

  std::uint8_t formatCode_ = 0;
  std::string outputDir_;
  int inputsDone_ = 0;
  std::size_t filesWritten_ = 0;  // by extraction, or game files rebuilt or changed by replay
  std::size_t inPlace_ = 0;       // of those, game files changed in place by replay
  bool logged_ = false;           // the job log names files to edit and replay
  std::size_t jobLogStart_ = 0;
  std::size_t replayedStart_ = 0;
  std::size_t skippedStart_ = 0;
  platform::FileStatus sameName_;  // the output of the input's own name, before it ran
};

}  // namespace trovex

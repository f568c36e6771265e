#include "run/RunState.hpp"

#include "framework/Paths.hpp"

namespace trovex {

namespace {

void TROVEX_LIBRARY_CALL RunProgress(void* run, std::int32_t position) {
  static_cast<RunState*>(run)->SetProgress(position);
}

}  // namespace

RunState::RunState(TWindowPort& window) : Window(window), ProgressRoutine(RunProgress), ProgressContext(this) {}

std::string RunState::OutputPath(const std::string& name) const { return JoinPath(OutputDir, name); }

bool RunState::ClaimOutputs(const std::string& input, const OutputPlan& plan) {
  const auto clash = OutputClaims.Claim(input, plan);
  if (!clash) return true;
  InputRefused = true;
  if (clash->withinPlan) {
    Result(input + " refused: it would write " + clash->path + " twice; nothing of it is written.");
  } else if (clash->owner == input) {
    // The same input (or job-log source) a second time.
    Result(input + " refused: this run has written " + clash->path + " for it already; nothing of it is written.");
  } else {
    Result(input + " refused: " + clash->path + " is an output of " + clash->owner +
           " in this run; nothing of it is written.");
  }
  return false;
}

void RunState::StartProgress() {
  Window.SetBarMax(Bar::Progress, 100);
  Window.SetBarPosition(Bar::Progress, 0);
}

void RunState::SetProgress(int position) {
  if (Window.BarPosition(Bar::Progress) == position) return;
  Window.SetBarPosition(Bar::Progress, position);
  Window.ProcessMessages();
}

}  // namespace trovex

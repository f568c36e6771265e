#include "run/RunState.hpp"

#include "framework/Paths.hpp"

namespace trovex {

std::string RunState::OutputPath(const std::string& name) const { return JoinPath(OutputDir, name); }

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

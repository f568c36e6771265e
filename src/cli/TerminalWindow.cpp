#include "cli/TerminalWindow.hpp"

#include <atomic>
#include <chrono>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/Platform.hpp"

namespace trovex {

namespace {

// Set from a signal handler or, on Windows, from the console's own thread.
std::atomic<bool> interruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr const char* kProcessCaption = "Process status:";

int TerminalWidth(std::FILE* stream) {
  const int columns = platform::TerminalColumns(stream);
  return columns > 0 ? columns : 80;
}

}  // namespace

TTerminalWindow::TTerminalWindow(OpenDialogResult openAnswer, std::string directory, std::FILE* out, std::FILE* err,
                                 bool drawStatus)
    : openAnswer_(std::move(openAnswer)), directory_(std::move(directory)), out_(out), err_(err),
      drawStatus_(drawStatus),
      outIsTerminal_(platform::IsTerminal(out)) {}

void TTerminalWindow::RequestInterrupt() { interruptRequested = true; }

void TTerminalWindow::ResetInterrupt() { interruptRequested = false; }

void TTerminalWindow::SetLabel(Label label, const std::string& text) {
  labels_[label] = text;
  DrawStatus();
}

void TTerminalWindow::SetBarMax(Bar bar, int maximum) { maxima_[bar] = maximum; }

void TTerminalWindow::SetBarPosition(Bar bar, int position) {
  positions_[bar] = position;
  DrawStatus();
}

int TTerminalWindow::BarPosition(Bar bar) const {
  const auto it = positions_.find(bar);
  return it == positions_.end() ? 0 : it->second;
}

void TTerminalWindow::ClearResults() { resultLines_ = 0; }

void TTerminalWindow::AppendResult(const std::string& line) {
  ClearStatus();
  std::fprintf(out_, "%s\n", line.c_str());
  // A reader on a terminal sees every line at once; into a pipe or a file the
  // lines go at least ten times a second, not one system call each.
  const auto now = std::chrono::steady_clock::now();
  if (outIsTerminal_ || now - lastFlush_ >= std::chrono::milliseconds(100)) {
    std::fflush(out_);
    lastFlush_ = now;
  }
  ++resultLines_;
  DrawStatus();
}

std::string TTerminalWindow::ListItem(int index) const {
  if (index < 0 || index >= ListCount()) throw EListError(index);
  return list_[static_cast<std::size_t>(index)];
}

void TTerminalWindow::ListDelete(int index) {
  if (index < 0 || index >= ListCount()) throw EListError(index);
  list_.erase(list_.begin() + index);
}

OpenDialogResult TTerminalWindow::ShowOpenDialog(const std::vector<FileFilter>&) { return openAnswer_; }

std::optional<std::string> TTerminalWindow::ChooseDirectory(const std::string&) {
  if (!ForceDirectories(directory_)) throw EFCreateError(directory_);
  return directory_;
}

void TTerminalWindow::ShowMessage(const std::string& text, const std::string& caption) {
  ClearStatus();
  if (caption == kProcessCaption) {
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
  } else {
    std::fflush(out_);
    // A caption names what the box is about (the dump of "Error in line").
    const std::string named = caption.empty() ? text : caption + ": " + text;
    std::fprintf(err_, "trovex-cli: %s\n", named.c_str());
    showedOtherMessage_ = true;
  }
}

void TTerminalWindow::SetStatus(const std::string& text, const std::string&) {
  if (!verbose || text.empty()) return;
  ClearStatus();
  std::fflush(out_);
  std::fprintf(err_, "%s\n", text.c_str());
  DrawStatus();
}

void TTerminalWindow::ProcessMessages() {
  if (!interruptRequested) return;
  interruptRequested = false;
  if (onInterrupt) onInterrupt();
}

void TTerminalWindow::DrawStatus() {
  if (!drawStatus_) return;
  std::string line = labels_[Label::CurrentMessage];
  if (!labels_[Label::Extracted].empty()) line += "  " + labels_[Label::Extracted];
  line += "  [" + std::to_string(BarPosition(Bar::Progress)) + "%]";
  line += " total [" + std::to_string(BarPosition(Bar::Total)) + "%]";
  const auto width = static_cast<std::size_t>(TerminalWidth(err_));
  if (line.size() >= width) line.resize(width - 1);
  std::fprintf(err_, "\r\033[K%s", line.c_str());
  std::fflush(err_);
  statusShown_ = true;
}

void TTerminalWindow::ClearStatus() {
  if (!statusShown_) return;
  std::fprintf(err_, "\r\033[K");
  std::fflush(err_);
  statusShown_ = false;
}

}  // namespace trovex

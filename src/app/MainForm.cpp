#include "app/MainForm.hpp"

#include "app/InputChoice.hpp"
#include "app/SameNames.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/StringList.hpp"
#include "run/Formats.hpp"

namespace trovex {

namespace {

constexpr const char* kCompleteText = "Operation complete!";
constexpr const char* kStoppedText = "Operation stopped.";
constexpr const char* kProcessCaption = "Process status:";
constexpr const char* kJobLogName = "result.log";

// Marks the form as running for the lifetime of one Process command, also
// when a handler's error ends it.
class RunningGuard {
 public:
  explicit RunningGuard(bool& running) : running_(running) { running_ = true; }
  ~RunningGuard() { running_ = false; }
  RunningGuard(const RunningGuard&) = delete;
  RunningGuard& operator=(const RunningGuard&) = delete;

 private:
  bool& running_;
};

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == PathSeparator) path.pop_back();
  return path;
}

}  // namespace

TMainForm::TMainForm(TWindowPort& window) : window_(window), progress_(window), run_(progress_) {
  run_.ProgressRoutine = &TMainForm::ReportProgress;
  run_.ProgressContext = this;
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate() {
  run_.JobLog.Clear();
  run_.ReplayLines.Clear();
  formatCode_ = fcNone;
}

void TMainForm::FormDestroy() {
  run_.JobLog.Clear();
  run_.ReplayLines.Clear();
  run_.SourceArchive.reset();
}

void TMainForm::EnableListCommands(bool enabled) {
  window_.SetButtonEnabled(Button::BClearAll, enabled);
  window_.SetButtonEnabled(Button::BRemLog, enabled);
  window_.SetButtonEnabled(Button::BProcess, enabled);
  window_.SetButtonEnabled(Button::BSaveList, enabled);
}

void TMainForm::EnableRunCommands(bool enabled) {
  window_.SetButtonEnabled(Button::BAddLog, enabled);
  EnableListCommands(enabled && window_.ListCount() > 0);
}

void TMainForm::ShowInputType() {
  if (formatCode_ != fcNone) window_.SetLabel(Label::CurrentMessage, InputTypeText(formatCode_));
}

void TMainForm::BAddLogClick() {
  if (running_) return;
  window_.SetButtonEnabled(Button::BRemLog, false);
  window_.SetButtonEnabled(Button::BProcess, false);
  window_.SetButtonEnabled(Button::BSaveList, false);
  const OpenDialogResult answer = window_.ShowOpenDialog(OpenDialogFilters());
  const InputType* type = answer.confirmed ? InputTypeOfFilter(answer.filterIndex) : nullptr;
  if (type != nullptr) type = CheckedType(*type, answer.paths);
  if (type != nullptr) AddFiles(*type, answer.paths);
  if (window_.ListCount() > 0) EnableListCommands(true);
}

// The dialog's filter gives the type whatever the files are; their
// extensions have the last word, as for dropped files.
const InputType* TMainForm::CheckedType(const InputType& chosen, const std::vector<std::string>& paths) {
  const ChosenFilesCheck check = CheckChosenFiles(chosen, paths);
  if (check.fits) return &chosen;
  if (check.offered != nullptr) return window_.AskYesNo(check.text, "Add files") ? check.offered : nullptr;
  window_.ShowMessage(check.text, "Add files");
  return nullptr;
}

void TMainForm::AddDroppedFiles(const std::vector<std::string>& paths) {
  if (running_ || paths.empty()) return;
  const DroppedFilesType dropped = InputTypeOfFiles(paths);
  if (dropped.type == nullptr) {
    window_.ShowMessage(dropped.refusal, "Add files");
    return;
  }
  AddFiles(*dropped.type, paths);
  if (window_.ListCount() > 0) EnableListCommands(true);
}

void TMainForm::AddFiles(const InputType& type, const std::vector<std::string>& paths) {
  if (type.formatCode != formatCode_) {
    if (window_.ListCount() > 0 &&
        !window_.AskYesNo("The list holds " + EntriesNoun(formatCode_) + ". Replace them with " +
                              EntriesNoun(type.formatCode) + "?",
                          "Confirm")) {
      return;
    }
    window_.ListClear();
  }
  formatCode_ = type.formatCode;
  ShowInputType();
  if (formatCode_ == fcProjectList) {
    TStringList project;
    if (!paths.empty()) project.LoadFromFile(paths.front());
    window_.ListClear();
    for (const auto& line : project.Lines()) window_.ListAppend(line);
  } else {
    const std::string warning = formatCode_ == fcJobLog ? std::string() : SameNameWarning(ListEntries(), paths);
    for (const auto& path : paths) window_.ListAppend(path);
    if (!warning.empty()) window_.ShowWarning(warning, "Add files");
  }
}

std::vector<std::string> TMainForm::ListEntries() const {
  std::vector<std::string> entries;
  for (int i = 0; i < window_.ListCount(); ++i) entries.push_back(window_.ListItem(i));
  return entries;
}

void TMainForm::BRemLogClick() {
  if (running_) return;
  for (int i = window_.ListCount() - 1; i >= 0; --i) {
    if (window_.ListSelected(i)) window_.ListDelete(i);
  }
  if (window_.ListCount() > 0) {
    window_.ListSetCurrent(window_.ListCount() - 1);
  } else {
    EnableListCommands(false);
    window_.ListSetCurrent(-1);
  }
}

void TMainForm::BClearAllClick() {
  if (running_) return;
  window_.ListClear();
  EnableListCommands(false);
}

void TMainForm::BSaveListClick() {
  if (running_) return;
  const auto path = window_.ShowSaveListDialog();
  if (!path) return;
  TStringList project;
  for (const std::string& entry : ListEntries()) project.Add(entry);
  project.SaveToFile(*path);
}

void TMainForm::SaveLogClick() {
  const auto path = window_.ShowSaveResultsDialog(run_.OutputDir);
  if (!path) return;
  window_.SaveResults(*path);
  window_.ShowMessage(FileNamePart(*path), "Operation status");
  window_.SetButtonEnabled(Button::SaveLog, false);
}

void TMainForm::StopClick() {
  run_.StopMark = true;
  window_.SetButtonEnabled(Button::Stop, false);
}

void TMainForm::BExitClick() { window_.CloseWindow(); }

// Labels and bars as between runs: no text, both bars at 0.
void TMainForm::ResetRunDisplay() {
  window_.SetLabel(Label::CurrentMessage, "");
  window_.SetLabel(Label::Extracted, "");
  window_.SetBarPosition(Bar::Progress, 0);
  window_.SetBarPosition(Bar::Total, 0);
}

// The commands that would change the list or start another run are disabled
// for the run, so that the window shows that they do nothing then. An error
// that ends the run leaves the window as a normal end does.
void TMainForm::BProcessClick() {
  if (running_ || window_.ListCount() == 0) return;
  RunningGuard guard(running_);
  EnableRunCommands(false);
  run_.StopMark = false;
  bool started = false;
  try {
    window_.ClearResults();
    window_.SetStatus("", "");
    run_.JobLog.Clear();
    run_.OutputDir = CurrentDirectory();
    const auto chosen = window_.ChooseDirectory(run_.OutputDir);
    if (chosen) {
      run_.OutputDir = WithoutTrailingSeparators(*chosen);
      SetCurrentDirectory(run_.OutputDir);
      ClaimJobLog();
      ResetRunDisplay();
      window_.SetBarMax(Bar::Total, 100);
      totalBytes_ = 0;
      run_.SkippedItems = 0;
      run_.Replayed.clear();
      summary_.Begin(formatCode_, run_.OutputDir);
      started = true;
      // Stop stays usable from here to the end of the run, between entries
      // too, so that a press is never handled while it is disabled.
      window_.SetButtonEnabled(Button::Stop, !run_.StopRequested());
      RunEntries();
      window_.SetButtonEnabled(Button::Stop, false);
      ResetRunDisplay();
      const auto ending = run_.StopRequested() ? TRunSummary::Ending::Stopped : TRunSummary::Ending::Complete;
      window_.SetStatus(summary_.Totals(ending, window_.ListCount()), run_.OutputDir);
    } else {
      window_.SetStatus("No output folder chosen; nothing was processed.", "");
    }
    FinishRun();
  } catch (const std::exception& error) {
    progress_.EndEntries();
    window_.SetButtonEnabled(Button::Stop, false);
    ResetRunDisplay();
    // The error stays with the results, so that saving them keeps it.
    window_.AppendRunError(error.what());
    window_.SetButtonEnabled(Button::SaveLog, true);
    if (started) {
      window_.SetStatus(summary_.Totals(TRunSummary::Ending::Failed, window_.ListCount()), run_.OutputDir);
    }
    EnableRunCommands(true);
    ShowInputType();
    throw;
  }
}

// A new run's claims on output names hold only the job log that an
// extraction run writes at its end, so that no input's output takes its name.
void TMainForm::ClaimJobLog() {
  run_.OutputClaims.Clear();
  if (formatCode_ != fcJobLog && formatCode_ != fcProjectList) {
    run_.OutputClaims.Claim("the job log", {{run_.OutputPath(kJobLogName)}, {}});
  }
}

// Total moves as entries finish: after entry i of n it shows (i + 1) x 100 / n,
// and during an extraction entry it follows that entry's Progress.
void TMainForm::RunEntries() {
  const InputType* type = InputTypeOfCode(formatCode_);
  const std::string formatName = type != nullptr ? type->formatName : "";
  const bool replay = formatCode_ == fcJobLog || formatCode_ == fcProjectList;
  for (int i = 0; i < window_.ListCount(); ++i) {
    if (run_.StopRequested()) return;
    const std::string entry = window_.ListItem(i);
    const std::size_t groupStart = run_.JobLog.Count();
    run_.JobLog.Add("#Format: " + formatName);
    run_.JobLog.Add("#Source: " + entry);
    window_.SetLabel(Label::CurrentMessage, "");
    window_.SetLabel(Label::Extracted, "");
    window_.SetBarPosition(Bar::Progress, 0);
    run_.InputRefused = false;
    progress_.BeginEntry(i, window_.ListCount(), !replay);
    summary_.BeforeInput(run_, entry);
    try {
      DispatchFormat(formatCode_, entry);
    } catch (const Exception& error) {
      // The run ends, but what it completed stays replayable: the job log
      // is written for it, as after a stop.
      DropEmptyGroup(groupStart);
      SaveJobLog();
      const std::string message = EntryError(error.what(), i, entry);
      if (message == error.what()) throw;
      throw Exception(message);
    }
    progress_.EndEntries();
    for (const std::string& sentence : summary_.AfterInput(run_, entry)) window_.SetStatus(sentence, "");
    if (run_.StopRequested() || run_.InputRefused) DropEmptyGroup(groupStart);
    window_.SetBarPosition(Bar::Total, (i + 1) * 100 / window_.ListCount());
    window_.ProcessMessages();
  }
}

std::string TMainForm::EntryError(const std::string& message, int index, const std::string& entry) const {
  const int count = window_.ListCount();
  if (count == 1) return message;
  if (message.find(entry) != std::string::npos) return Format("%s (input %d of %d)", message.c_str(), index + 1, count);
  return Format("%s (input %d of %d: %s)", message.c_str(), index + 1, count, entry.c_str());
}

// An entry abandoned by a stop or a failure, or refused, with nothing logged
// for it, leaves no group behind: replay would hand its source to a handler
// with no targets.
void TMainForm::DropEmptyGroup(std::size_t groupStart) {
  if (run_.JobLog.Count() != groupStart + 2) return;
  run_.JobLog.Delete(groupStart + 1);
  run_.JobLog.Delete(groupStart);
}

void TMainForm::SaveJobLog() {
  if (run_.JobLog.Empty() || formatCode_ == fcJobLog || formatCode_ == fcProjectList) return;
  if (totalBytes_ != 0) window_.AppendResult("Total " + std::to_string(totalBytes_) + " bytes extracted.");
  run_.JobLog.SaveToFile(run_.OutputPath(kJobLogName));
}

void TMainForm::FinishRun() {
  SaveJobLog();
  EnableRunCommands(true);
  ShowInputType();
  window_.ShowMessage(run_.StopRequested() ? kStoppedText : kCompleteText, kProcessCaption);
}

// Stop is not touched here: it is enabled for the whole run (BProcessClick).
void TMainForm::DispatchFormat(std::uint8_t code, const std::string& path) {
  window_.FocusResults();
  window_.SetButtonEnabled(Button::SaveLog, false);
  // Save results ends as after every dispatch, also when the handler's error
  // ends the run.
  const auto endDispatch = [this] {
    if (window_.ResultLineCount() > 0) window_.SetButtonEnabled(Button::SaveLog, true);
  };
  try {
    DispatchHandler(run_, code, path);
  } catch (...) {
    endDispatch();
    throw;
  }
  endDispatch();
}

void TMainForm::ReportProgress(int position) {
  if (window_.BarPosition(Bar::Progress) == position) return;
  window_.SetBarPosition(Bar::Progress, position);
  window_.ProcessMessages();
}

void TMainForm::ReportProgress(void* form, std::int32_t position) {
  static_cast<TMainForm*>(form)->ReportProgress(static_cast<int>(position));
}

}  // namespace trovex

#include "joblog/Replay.hpp"

#include <algorithm>
#include <iterator>

#include "archive/BiffInsert.hpp"
#include "archive/Key.hpp"
#include "framework/Paths.hpp"
#include "framework/Platform.hpp"
#include "imaging/Font.hpp"
#include "joblog/JobLogLine.hpp"
#include "sound/MovieSound.hpp"
#include "strings/Talk.hpp"

namespace trovex {

namespace {

struct ReplayRow {
  std::uint8_t formatCode;
  InsertionHandler handler;
  bool editsSource;  // changes its source in place, so opens it for writing
};

// The replay table: the insertion handler of each format code that has one.
constexpr ReplayRow kReplayTable[] = {
    {fcBiff, InsertBiff, false},
    {fcTalk, InsertTalk, false},
    {fcKey, UpdateKeyLocations, true},
    {fcFont, InsertFont, true},
    {fcMovie, InsertMovieSound, true},
};

// The row of a format code, or nullptr.
const ReplayRow* ReplayRowFor(std::uint8_t formatCode) {
  const auto row = std::find_if(std::begin(kReplayTable), std::end(kReplayTable),
                                [formatCode](const ReplayRow& r) { return r.formatCode == formatCode; });
  return row == std::end(kReplayTable) ? nullptr : row;
}

std::string ProcessingText(const std::string& path) { return "Processing " + FileNamePart(path) + "..."; }

// The Total bar for line i of n: the first line shows 0, the last 100. A log
// of one line has only that line, which is both, so it shows 100.
int TotalPosition(std::size_t i, std::size_t n) {
  if (n <= 1) return 100;
  return static_cast<int>(i * 100 / (n - 1));
}

// The index of the first line from start on that opens a group ("#Format:" or
// "#Source:"), or the number of lines.
std::size_t NextGroup(const TStringList& lines, std::size_t start) {
  for (std::size_t i = start; i < lines.Count(); ++i) {
    const LineKeyword keyword = KeywordOf(FirstToken(lines.Get(i)));
    if (keyword == LineKeyword::Format || keyword == LineKeyword::Source) return i;
  }
  return lines.Count();
}

// A "#Source:" line at index i naming path: opens the source and hands the
// group to the insertion handler of the format in force. Returns the index of
// the next line to handle.
std::size_t ReplaySource(RunState& run, const std::string& path, std::size_t i) {
  run.SourceArchive.reset();
  const ReplayRow* row = ReplayRowFor(run.ReplayFormat);
  // Only a format that changes its source in place opens it for writing, so
  // read-only game files (copied from a disc) can be rebuilt elsewhere.
  const FileMode mode = row != nullptr && row->editsSource ? FileMode::OpenReadWrite : FileMode::OpenRead;
  if (PathExists(path)) run.SourceArchive = std::make_unique<TFileStream>(path, mode);
  run.SourcePath = path;
  run.Message(ProcessingText(path));
  // Each group counts its own items.
  run.Window.SetLabel(Label::Extracted, "");
  if (row == nullptr) return i + 1;
  const InsertionHandler handler = row->handler;
  if (!run.SourceArchive) {
    // Every handler needs its source: the group's target lines go unused.
    run.Result("Source not found: " + path);
    return NextGroup(run.ReplayLines, i + 1);
  }
  // The group writes a rebuilt file into the output directory, or changes
  // its source in place: a path that the run has written already is refused.
  const std::string targetPath = run.OutputPath(FileNamePart(path));
  if (!run.ClaimOutputs(path, {{row->editsSource ? AbsolutePath(path) : targetPath}, {}})) {
    return NextGroup(run.ReplayLines, i + 1);
  }
  RunState::ReplayedSource replayed{path, row->editsSource ? path : targetPath, row->editsSource, false};
  const platform::FileStatus before = platform::StatusOf(replayed.output);
  // A handler consumes at least nothing; replay always moves forward.
  const std::size_t next = std::max(handler(run, targetPath, i + 1), i + 1);
  // Every output is written whole under a new name, so a written file is a
  // new file.
  const platform::FileStatus after = platform::StatusOf(replayed.output);
  replayed.written = after.exists && (!before.exists || after.id != before.id);
  run.Replayed.push_back(replayed);
  return next;
}

// Handles line i and returns the index of the next line to handle. Keyword
// lines are replaced by their argument, as handlers expect to find them.
std::size_t ReplayLine(RunState& run, std::size_t i) {
  const std::string line = run.ReplayLines.Get(i);
  const LineToken token = FirstToken(line);
  const LineKeyword keyword = KeywordOf(token);
  if (keyword == LineKeyword::None) return i + 1;
  const std::string argument = ArgumentOf(line, token);
  run.ReplayLines.Set(i, argument);
  if (keyword == LineKeyword::Format) run.ReplayFormat = FormatCodeOfName(FirstToken(argument).text);
  if (keyword == LineKeyword::Source) return ReplaySource(run, argument, i);
  return i + 1;
}

// Moves Progress on by one per line, as far as its maximum of 100.
void AdvanceProgress(RunState& run) {
  const int position = run.Window.BarPosition(Bar::Progress);
  if (position < 100) run.Window.SetBarPosition(Bar::Progress, position + 1);
}

// A job log holds at least one "#Format:" line. Reading stops at a zero
// byte, so a binary file (an archive listed by mistake) holds none either.
bool HoldsFormatLine(const TStringList& lines) {
  return std::any_of(lines.Lines().begin(), lines.Lines().end(),
                     [](const std::string& line) { return KeywordOf(FirstToken(line)) == LineKeyword::Format; });
}

// Closes the source however the replay ends, so that a failed run does not
// keep the game file open.
struct SourceCloser {
  RunState& run;
  ~SourceCloser() { run.SourceArchive.reset(); }
};

}  // namespace

InsertionHandler InsertionHandlerFor(std::uint8_t formatCode) {
  const ReplayRow* row = ReplayRowFor(formatCode);
  return row == nullptr ? nullptr : row->handler;
}

void ReplayJobLog(RunState& run, const std::string& logPath) {
  run.ReplayLines.Clear();
  run.ReplayLines.LoadFromFile(logPath);
  if (!HoldsFormatLine(run.ReplayLines)) {
    run.Result(FileNamePart(logPath) + " is not a job log; passed over.");
    return;
  }
  run.ReplayLogPath = logPath;
  const std::string processing = ProcessingText(logPath);
  run.Message(processing);
  run.Window.SetBarMax(Bar::Total, 100);
  run.Window.SetBarPosition(Bar::Total, 0);
  run.ReplayFormat = fcNoFormat;

  SourceCloser closer{run};
  std::size_t i = 0;
  while (i < run.ReplayLines.Count() && !run.StopRequested()) {
    run.Message(processing);
    run.Window.SetBarPosition(Bar::Total, TotalPosition(i, run.ReplayLines.Count()));
    const std::size_t next = ReplayLine(run, i);
    run.SourceArchive.reset();
    AdvanceProgress(run);
    run.Pump();
    i = next;
  }
}

}  // namespace trovex

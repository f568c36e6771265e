#include "strings/TalkDumpReader.hpp"

#include "framework/Errors.hpp"
#include "strings/TalkDump.hpp"

namespace trovex {

namespace {

constexpr std::size_t kEntriesPerRun = 4096;
constexpr std::size_t kRunsAhead = 2;

std::string_view RequireLine(TDumpLines& lines, const std::string& dumpPath, const char* which, std::uint32_t index) {
  const auto line = lines.Next();
  if (!line) throw EFormatError(Format("Text dump %s ends before the %s line of entry %u", dumpPath.c_str(), which, index));
  return *line;
}

// The number of the next identifier line; lines that are none are passed over.
std::uint64_t FindIdentifier(TDumpLines& lines, const std::string& dumpPath, std::uint32_t index) {
  for (;;) {
    if (const auto number = IdentifierOf(RequireLine(lines, dumpPath, "identifier", index))) return *number;
  }
}

// Appends the entry's lines up to its end line, joined with one LF each:
// empty lines are kept, so "a", "", "b" gives a, LF, LF, b.
void CollectEdited(TDumpLines& lines, const std::string& dumpPath, std::uint32_t index, std::string& out) {
  std::string_view line = RequireLine(lines, dumpPath, "end", index);
  while (line != kDumpEndLine) {
    out.append(line);
    line = RequireLine(lines, dumpPath, "end", index);
    if (line != kDumpEndLine) out += '\n';
  }
}

}  // namespace

TDumpEntryReader::TDumpEntryReader(TStream& stream, const std::string& dumpPath, std::uint32_t count)
    : stream_(stream), dumpPath_(dumpPath), count_(count), thread_([this] { ReadAll(); }) {}

TDumpEntryReader::~TDumpEntryReader() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool TDumpEntryReader::Next(TDumpEntries& entries) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
  if (ready_.empty()) return false;
  entries = std::move(ready_.front());
  ready_.pop_front();
  changed_.notify_all();
  return true;
}

bool TDumpEntryReader::Hand(TDumpEntries&& entries) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return ready_.size() < kRunsAhead || quit_; });
  if (quit_) return false;
  ready_.push_back(std::move(entries));
  changed_.notify_all();
  return true;
}

void TDumpEntryReader::ReadAll() {
  TDumpEntries run;
  try {
    TDumpLines lines(stream_);
    for (std::uint32_t i = 0; i < count_; ++i) {
      if (FindIdentifier(lines, dumpPath_, i) != i) {
        run.mismatchLine = lines.LineNumber();
        break;
      }
      CollectEdited(lines, dumpPath_, i, run.text);
      run.ends.push_back(run.text.size());
      if (run.ends.size() == kEntriesPerRun) {
        if (!Hand(std::move(run))) return;
        run = TDumpEntries{};
        run.first = i + 1;
      }
    }
  } catch (...) {
    run.error = std::current_exception();
  }
  Hand(std::move(run));
  std::lock_guard lock(mutex_);
  finished_ = true;
  changed_.notify_all();
}

}  // namespace trovex

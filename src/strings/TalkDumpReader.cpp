#include "strings/TalkDumpReader.hpp"

#include <new>

#include "framework/Errors.hpp"
#include "strings/TalkDump.hpp"

namespace trovex {

namespace {

constexpr std::size_t kEntriesPerRun = 4096;
constexpr std::size_t kRunsAhead = 2;

TLinePiece RequirePiece(TDumpLines& lines, const std::string& dumpPath, const char* which, std::uint32_t index) {
  const auto piece = lines.NextPiece();
  if (!piece)
    throw EFormatError(Format("Text dump %s ends before the %s line of entry %u", dumpPath.c_str(), which, index));
  return *piece;
}

// Passes over the rest of a line that did not end in its first piece.
void SkipRestOfLine(TDumpLines& lines, TLinePiece piece) {
  while (!piece.lineEnds) piece = *lines.NextPiece();
}

// The number of the next identifier line; lines that are none are passed over.
std::uint64_t FindIdentifier(TDumpLines& lines, const std::string& dumpPath, std::uint32_t index) {
  for (;;) {
    const TLinePiece piece = RequirePiece(lines, dumpPath, "identifier", index);
    if (piece.lineEnds) {
      if (const auto number = IdentifierOf(piece.text)) return *number;
    }
    SkipRestOfLine(lines, piece);
  }
}

// Makes room in out for the rest of the dump when a long line starts: the
// room is only taken as it is filled, and out then never moves, so a line of
// hundreds of megabytes is never held twice. Without the address space for
// it, out grows as strings do.
void MakeRoomForLongLine(TDumpLines& lines, std::string_view firstPiece, std::string& out) {
  const std::uint64_t room = out.size() + firstPiece.size() + lines.BytesLeft();
  if (room <= out.capacity() || room > out.max_size()) return;
  try {
    out.reserve(static_cast<std::size_t>(room));
  } catch (const std::bad_alloc&) {
  }
}

// Appends the entry's lines up to its end line, joined with one LF each:
// empty lines are kept, so "a", "", "b" gives a, LF, LF, b.
void CollectEdited(TDumpLines& lines, const std::string& dumpPath, std::uint32_t index, std::string& out) {
  for (bool first = true;; first = false) {
    TLinePiece piece = RequirePiece(lines, dumpPath, "end", index);
    if (piece.lineEnds && piece.text == kDumpEndLine) return;
    if (!first) out += '\n';
    if (!piece.lineEnds) MakeRoomForLongLine(lines, piece.text, out);
    out.append(piece.text);
    while (!piece.lineEnds) {
      piece = RequirePiece(lines, dumpPath, "end", index);
      out.append(piece.text);
    }
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

// TALK rebuild: a table from its source and its edited text dump, during
// job log replay.
#include <exception>
#include <limits>
#include <optional>

#include "framework/Errors.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "strings/Talk.hpp"
#include "strings/TalkDump.hpp"
#include "strings/TalkDumpReader.hpp"
#include "strings/TalkFormat.hpp"
#include "strings/TalkPo.hpp"
#include "strings/TalkProgress.hpp"
#include "strings/TextOut.hpp"

namespace trovex {

namespace {

constexpr std::string_view kTargetKeyword = "#Target:";

// The path of the target line at index that starts with keyword ("#Target: "
// for a dump, "#Target PO: " for a PO file): the line without its text up to
// the first ":" and the one blank after it. Nothing when the job log has no
// such line there (it ends, or the group has no target line).
std::optional<std::string> TargetPathOf(const TStringList& lines, std::size_t index,
                                        std::string_view keyword = kTargetKeyword) {
  if (index >= lines.Count()) return std::nullopt;
  const std::string& line = lines.Get(index);
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos || line.compare(first, keyword.size(), keyword) != 0) {
    return std::nullopt;
  }
  return line.substr(std::min(line.find(':') + 2, line.size()));
}

// One pass over the dump's entries, read on a thread of their own, writing
// the new string data and setting each entry's offset and length in the table.
class TRebuild {
 public:
  TRebuild(RunState& run, TalkTable& table, TStream& source, TStream& dump, const std::string& dumpPath,
           TTextOut& strings)
      : run_(run),
        table_(table),
        source_(source, table),
        entries_(dump, dumpPath, table.count),
        dumpPath_(dumpPath),
        strings_(strings) {}

  // False when the rebuild was abandoned: an identifier mismatch (shown
  // here) or the stop mark.
  bool Run() {
    TDumpEntries entries;
    while (entries_.Next(entries)) {
      std::size_t start = 0;
      for (std::size_t k = 0; k < entries.ends.size(); ++k) {
        if (run_.StopRequested()) return false;
        const auto index = static_cast<std::uint32_t>(entries.first + k);
        StoreEntry(index, std::string_view(entries.text).substr(start, entries.ends[k] - start));
        start = entries.ends[k];
        ShowEntryProgress(run_, "Inserted: ", index, table_.count);
      }
      if (entries.mismatchLine != 0) {
        run_.Window.ShowMessage(Format("Error in line: %zu", entries.mismatchLine), FileNamePart(dumpPath_));
        return false;
      }
      if (entries.error) std::rethrow_exception(entries.error);
    }
    return true;
  }

 private:
  // An entry whose edited text is what the dump shows for its source string
  // keeps the source's stored bytes exactly. Any other text goes into the new
  // string data with the source's line break (CR LF when its first break is
  // CR LF, else LF) and its masked tokens (if it may hold any) restored.
  void StoreEntry(std::uint32_t index, std::string_view edited) {
    const std::uint64_t offset = strings_.Size();
    const TSourceText stored = source_.StoredText(index);
    const TSourceText source = TTalkStrings::TextOf(stored);
    TokenCounts tokens;
    if (DumpShows(edited, source)) {
      stored.AppendTo(strings_);
    } else {
      tokens = AppendRestored(strings_, edited, source, BreaksWithCrLf(source));
    }
    const std::uint64_t length = strings_.Size() - offset;
    if (strings_.Size() > std::numeric_limits<std::uint32_t>::max()) {
      throw EFormatError(
          Format("Text dump %s holds more string data than a TALK table can (entry %u)", dumpPath_.c_str(), index));
    }
    table_.SetString(index, static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length));
    if (tokens.masked < tokens.source) {
      run_.Result(Format("Entry %u: %zu token(s) missing in the translation", index, tokens.source - tokens.masked));
    } else if (tokens.masked > tokens.source) {
      run_.Result(
          Format("Entry %u: %zu masked token(s) more than the original holds", index, tokens.masked - tokens.source));
    }
  }

  RunState& run_;
  TalkTable& table_;
  TTalkStrings source_;
  TDumpEntryReader entries_;
  const std::string& dumpPath_;
  TTextOut& strings_;
};

}  // namespace

std::size_t InsertTalk(RunState& run, const std::string& targetPath, std::size_t startIndex) {
  if (const auto poPath = TargetPathOf(run.ReplayLines, startIndex, kPoTargetKeyword)) {
    return InsertTalkPo(run, targetPath, *poPath, startIndex);
  }
  const auto dumpPath = TargetPathOf(run.ReplayLines, startIndex);
  if (!dumpPath) {
    run.Result(FileNamePart(targetPath) + " not rebuilt: no \"#Target: \" line names its text dump.");
    return startIndex;
  }
  if (!run.SourceArchive) throw EFOpenError(run.SourcePath);
  TFileStream dump(*dumpPath, FileMode::OpenRead);
  // Created before anything is read from the source, so that rebuilding the
  // source onto itself fails at once; committed only when complete.
  TSafeOutput output(targetPath);
  TalkTable table = ReadTalkTable(*run.SourceArchive, run.SourcePath);
  run.Message("Processing " + FileNamePart(targetPath) + "...");
  run.StartProgress();
  run.Pump();

  // The string data goes behind the place of the header and the entry
  // table, which are written last, once every entry's offset is known.
  output.SetPosition(table.stringsOffset);
  TTextOut strings(output);
  if (!TRebuild(run, table, *run.SourceArchive, dump, *dumpPath, strings).Run()) return startIndex + 1;
  strings.Flush();
  output.SetPosition(0);
  output.WriteText(table.prefix);
  output.Commit();
  run.Result(run.OutputPath(ChangeFileExt(FileNamePart(targetPath), ".txt")) + " inserted.");
  run.Pump();
  return startIndex + 1;
}

}  // namespace trovex

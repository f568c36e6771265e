#include "app/RunSummary.hpp"

#include <set>

#include "framework/Paths.hpp"
#include "run/Formats.hpp"

namespace trovex {

namespace {

// The path a job log line after "#Source:" names: the text after "#Target
// ...: ", or the whole line (a KEY listing is logged by its path alone).
std::string LoggedPath(const std::string& line) {
  if (line.rfind("#Target", 0) != 0) return line;
  const std::size_t colon = line.find(": ");
  return colon == std::string::npos ? std::string() : line.substr(colon + 2);
}

// What the one file of an input is, for the inputs that write one.
const char* SingleOutputNoun(std::uint8_t formatCode) {
  switch (formatCode) {
    case fcKey:
      return "listing";
    case fcTalk:
      return "text dump";
    case fcFont:
      return "glyph sheet";
    case fcWavc:
      return "sound";
    case fcMovie:
      return "sound track";
    default:
      return nullptr;
  }
}

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "40 files in /out/ACM Sound", or for several folders "52 files in 3
// folders of /out".
std::string FilesIn(const std::vector<std::string>& paths, const std::string& outputDir) {
  std::set<std::string> folders;
  for (const std::string& path : paths) folders.insert(DirectoryPart(path));
  const std::string files = Counted(paths.size(), "file", "files");
  if (folders.size() == 1) return files + " in " + *folders.begin();
  return files + " in " + std::to_string(folders.size()) + " folders of " + outputDir;
}

bool IsReplay(std::uint8_t formatCode) { return formatCode == fcJobLog || formatCode == fcProjectList; }

}  // namespace

void TRunSummary::Begin(std::uint8_t formatCode, const std::string& outputDir) {
  *this = TRunSummary();
  formatCode_ = formatCode;
  outputDir_ = outputDir;
}

void TRunSummary::BeforeInput(const RunState& run, const std::string& input) {
  jobLogStart_ = run.JobLog.Count();
  replayedStart_ = run.Replayed.size();
  skippedStart_ = run.SkippedItems;
  sameName_ = platform::StatusOf(run.OutputPath(FileNamePart(input)));
}

std::vector<std::string> TRunSummary::AfterInput(const RunState& run, const std::string& input) {
  ++inputsDone_;
  return IsReplay(formatCode_) ? ReplaySentences(run) : ExtractionSentence(run, input);
}

// The files an input wrote are its target lines; an archive that is
// compressed or decompressed as a whole writes the file of its own name.
std::vector<std::string> TRunSummary::ExtractionSentence(const RunState& run, const std::string& input) {
  const std::string name = FileNamePart(input);
  std::vector<std::string> paths;
  for (std::size_t i = jobLogStart_; i < run.JobLog.Count(); ++i) {
    const std::string path = LoggedPath(run.JobLog.Get(i));
    if (!path.empty()) paths.push_back(path);
  }
  const std::string sameName = run.OutputPath(name);
  const platform::FileStatus now = platform::StatusOf(sameName);
  const bool wroteSameName = now.exists && (!sameName_.exists || now.id != sameName_.id);
  std::string text = name + ": ";
  if (paths.empty() && wroteSameName && (formatCode_ == fcBiff || formatCode_ == fcMakeCompressedBiff)) {
    ++filesWritten_;
    text += (formatCode_ == fcBiff ? "decompressed to " : "compressed to ") + sameName;
  } else if (paths.empty()) {
    text += "nothing written";
  } else if (const char* noun = SingleOutputNoun(formatCode_); noun != nullptr && paths.size() == 1) {
    filesWritten_ += 1;
    logged_ = true;
    text += std::string(noun) + " " + paths.front();
  } else {
    filesWritten_ += paths.size();
    logged_ = true;
    text += FilesIn(paths, outputDir_);
  }
  const std::size_t skipped = run.SkippedItems - skippedStart_;
  if (skipped > 0) text += ", " + std::to_string(skipped) + " skipped";
  return {text};
}

std::vector<std::string> TRunSummary::ReplaySentences(const RunState& run) {
  std::vector<std::string> sentences;
  for (std::size_t i = replayedStart_; i < run.Replayed.size(); ++i) {
    const RunState::ReplayedSource& group = run.Replayed[i];
    const std::string name = FileNamePart(group.source);
    if (!group.written) {
      sentences.push_back(name + (group.inPlace ? ": unchanged" : ": not rebuilt"));
      continue;
    }
    ++filesWritten_;
    if (group.inPlace) ++inPlace_;
    sentences.push_back(name + (group.inPlace ? ": changed in place, " : ": rebuilt ") + group.output);
  }
  if (sentences.empty()) sentences.push_back("no game file named in " + FileNamePart(run.ReplayLogPath));
  return sentences;
}

std::string TRunSummary::Totals(Ending ending, int inputCount) const {
  std::string text = ending == Ending::Complete  ? "Done: "
                     : ending == Ending::Stopped ? "Stopped: "
                                                 : "Ended by an error: ";
  text += std::to_string(inputsDone_) + " of " + Counted(static_cast<std::size_t>(inputCount), "input", "inputs");
  if (!IsReplay(formatCode_)) {
    text += ", " + Counted(filesWritten_, "file", "files") + " written in " + outputDir_ + ".";
    if (logged_) {
      text += " To put your edits back, add " + JoinPath(outputDir_, "result.log") +
              " (Log files) and process it into a new folder.";
    }
    return text;
  }
  const std::size_t rebuilt = filesWritten_ - inPlace_;
  text += ", " + Counted(rebuilt, "game file", "game files") + " rebuilt in " + outputDir_;
  if (inPlace_ > 0) text += ", " + Counted(inPlace_, "changed", "changed") + " in place";
  return text + ".";
}

}  // namespace trovex

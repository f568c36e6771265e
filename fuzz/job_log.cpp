// A job log or project list: its lines as the text-file rules give them and
// the keywords, arguments and target lines replay finds in them. Lines
// written back read back the same, and a target line the program would
// write for a parsed target reads back as that target.
#include "FuzzCheck.hpp"
#include "archive/BiffFormat.hpp"
#include "archive/BiffInsertTargets.hpp"
#include "framework/StringList.hpp"
#include "joblog/JobLogLine.hpp"
#include "run/Formats.hpp"

using namespace trovex;

namespace {

void CheckLine(const std::string& line) {
  fuzz::Require(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, "a line holds no break");
  const LineToken token = FirstToken(line);
  fuzz::Require(token.end <= line.size() && token.text.find_first_of(" \t\n\r\v\f") == std::string_view::npos,
                "the first token lies inside the line and holds no blank");
  const LineKeyword keyword = KeywordOf(token);
  if (keyword != LineKeyword::None) {
    const std::string argument = ArgumentOf(line, token);
    fuzz::Require(argument.size() < line.size(), "the argument is shorter than its line");
    if (keyword == LineKeyword::Format) FormatCodeOfName(FirstToken(argument).text);
  }
  const auto target = ParseEntryTarget(line);
  if (!target || target->index > 0xFFFFFFFF || !KindOfWord(target->kindWord)) return;
  const auto again = ParseEntryTarget(TargetLine(target->kindWord, static_cast<std::uint32_t>(target->index),
                                                 target->path));
  fuzz::Require(again && again->kindWord == target->kindWord && again->index == target->index &&
                    again->path == target->path,
                "a written target line reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TStringList log;
  log.LoadFromText(fuzz::TextOf(data, size));
  for (const std::string& line : log.Lines()) CheckLine(line);
  TStringList again;
  again.LoadFromText(log.Text());
  fuzz::Require(again.Lines() == log.Lines(), "lines written back read back");
  return 0;
}

#include "joblog/JobLogLine.hpp"

namespace trovex {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

LineToken FirstToken(std::string_view line) {
  std::size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  std::size_t end = start;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  return {line.substr(start, end - start), end};
}

LineKeyword KeywordOf(const LineToken& token) {
  if (token.text == kFormatKeyword) return LineKeyword::Format;
  if (token.text == kSourceKeyword) return LineKeyword::Source;
  if (token.text == kTargetKeyword) return LineKeyword::Target;
  return LineKeyword::None;
}

std::string ArgumentOf(std::string_view line, const LineToken& token) {
  const std::size_t start = token.end + 1;
  return start < line.size() ? std::string(line.substr(start)) : std::string();
}

}  // namespace trovex

// The text form of job log lines: the three keywords and the first token of a
// line, which decides what replay does with it.
#pragma once

#include <string>
#include <string_view>

namespace trovex {

inline constexpr std::string_view kFormatKeyword = "#Format:";
inline constexpr std::string_view kSourceKeyword = "#Source:";
inline constexpr std::string_view kTargetKeyword = "#Target";

enum class LineKeyword { None, Format, Source, Target };

// The first token of a line and where it lies: leading white space (blank,
// tab, line feed, carriage return, vertical tab, form feed) is skipped and the
// token runs to the next white space or the end of the line.
struct LineToken {
  std::string_view text;  // empty when the line holds no token
  std::size_t end = 0;    // index just behind the token
};
LineToken FirstToken(std::string_view line);

// The keyword a line starts with (compared exactly, with case).
LineKeyword KeywordOf(const LineToken& token);

// The line's argument: the text behind its first token and the one character
// after it ("#Source: a b" gives "a b").
std::string ArgumentOf(std::string_view line, const LineToken& token);

}  // namespace trovex

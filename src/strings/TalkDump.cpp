#include "strings/TalkDump.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace trovex {

namespace {

constexpr std::size_t kIdentifierDigits = 8;

std::size_t DecimalDigits(std::uint32_t value) {
  std::size_t digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

// The next token of a source string at or after position: a "<", at least one
// byte and the next ">". A "<>" is no token: masking leaves it as it stands.
std::optional<std::string_view> NextSourceToken(std::string_view source, std::size_t& position) {
  for (;;) {
    const std::size_t open = source.find('<', position);
    const std::size_t close = open == std::string_view::npos ? open : source.find('>', open + 1);
    if (close == std::string_view::npos) {
      position = source.size();
      return std::nullopt;
    }
    position = close + 1;
    if (close > open + 1) return source.substr(open, close + 1 - open);
  }
}

// The length of the masked token that starts with the "<" at open, or 0 when
// no "<" + one or more "*" + ">" starts there.
std::size_t MaskedTokenLength(std::string_view edited, std::size_t open) {
  const std::size_t end = edited.find_first_not_of('*', open + 1);
  if (end == std::string_view::npos || end == open + 1 || edited[end] != '>') return 0;
  return end + 1 - open;
}

}  // namespace

void AppendMasked(std::string& out, std::string_view text) {
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t open = text.find('<', position);
    if (open == std::string_view::npos) {
      out.append(text.substr(position));
      return;
    }
    out.append(text.substr(position, open + 1 - position));
    // Everything up to the next ">" is masked, a "<" included; an unclosed
    // token masks the rest of the string.
    const std::size_t close = text.find('>', open + 1);
    const std::size_t end = close == std::string_view::npos ? text.size() : close;
    out.append(end - open - 1, '*');
    if (close == std::string_view::npos) return;
    out += '>';
    position = close + 1;
  }
}

std::size_t DumpEntrySize(std::uint32_t index, std::size_t textLength) {
  const std::size_t digits = std::max(DecimalDigits(index), kIdentifierDigits);
  return (digits + 4) + (textLength + 2) + (kDumpEndLine.size() + 2);
}

void AppendDumpEntry(std::string& out, std::uint32_t index, std::string_view text) {
  char digits[16];
  const char* end = std::to_chars(digits, digits + sizeof digits, index).ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  out += '[';
  if (length < kIdentifierDigits) out.append(kIdentifierDigits - length, '0');
  out.append(digits, length);
  out += "]\r\n";
  AppendMasked(out, text);
  out += "\r\n";
  out += kDumpEndLine;
  out += "\r\n";
}

std::optional<std::uint64_t> IdentifierOf(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  line = line.substr(first, line.find_last_not_of(" \t") + 1 - first);
  if (line.size() < 3 || line.front() != '[' || line.back() != ']') return std::nullopt;
  std::uint64_t number = 0;
  for (const char c : line.substr(1, line.size() - 2)) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max();
    number = number > (kLargest - digit) / 10 ? kLargest : number * 10 + digit;
  }
  return number;
}

TokenCounts AppendRestored(std::string& out, std::string_view edited, std::string_view source) {
  if (edited.find('<') == std::string_view::npos || edited.find('>') == std::string_view::npos) {
    out.append(edited);
    return {};
  }
  TokenCounts counts;
  std::size_t sourcePosition = 0;
  std::size_t position = 0;
  while (position < edited.size()) {
    const std::size_t open = edited.find('<', position);
    if (open == std::string_view::npos) break;
    const std::size_t length = MaskedTokenLength(edited, open);
    if (length == 0) {
      out.append(edited.substr(position, open + 1 - position));
      position = open + 1;
      continue;
    }
    out.append(edited.substr(position, open - position));
    ++counts.masked;
    const auto token = NextSourceToken(source, sourcePosition);
    if (token) ++counts.source;
    out.append(token ? *token : edited.substr(open, length));
    position = open + length;
  }
  out.append(edited.substr(std::min(position, edited.size())));
  while (NextSourceToken(source, sourcePosition)) ++counts.source;
  return counts;
}

TDumpLines::TDumpLines(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

std::optional<std::string_view> TDumpLines::Next() {
  if (position_ >= text_.size()) return std::nullopt;
  const char* begin = text_.data() + position_;
  const char* limit = text_.data() + text_.size();
  // Two fast searches: the next LF, then a CR before it.
  const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(limit - begin)));
  const char* stop = lf != nullptr ? lf : limit;
  const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', static_cast<std::size_t>(stop - begin)));
  const char* end = cr != nullptr ? cr : stop;
  const std::string_view line(begin, static_cast<std::size_t>(end - begin));
  position_ = static_cast<std::size_t>(end - text_.data());
  if (end != limit) {
    ++position_;
    if (*end == '\r' && position_ < text_.size() && text_[position_] == '\n') ++position_;
  }
  ++number_;
  return line;
}

}  // namespace trovex

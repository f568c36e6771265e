#include "strings/PoText.hpp"

#include <algorithm>
#include <array>

namespace trovex {

std::string ShownText(std::string_view text, const TCodePage& page) {
  std::string shown;
  shown.reserve(text.size() + text.size() / 8);
  if (text.find('\r') == std::string_view::npos) {
    page.AppendUtf8(shown, text);
    return shown;
  }
  std::string unified;
  unified.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      unified += text[i];
      continue;
    }
    unified += '\n';
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  page.AppendUtf8(shown, unified);
  return shown;
}

namespace {

// The escape of a byte that PO strings write escaped, or nothing.
constexpr const char* EscapeOf(char c) {
  switch (c) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\t': return "\\t";
    case '\r': return "\\r";
    case '\a': return "\\a";
    case '\b': return "\\b";
    case '\f': return "\\f";
    case '\v': return "\\v";
    default: return nullptr;
  }
}

// Which bytes EscapeOf escapes, for a fast scan over the others.
constexpr std::array<bool, 256> kEscaped = [] {
  std::array<bool, 256> escaped{};
  for (int c = 1; c < 256; ++c) escaped[static_cast<std::size_t>(c)] = EscapeOf(static_cast<char>(c)) != nullptr;
  return escaped;
}();

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  // Runs of bytes that need no escape go in whole.
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!kEscaped[static_cast<unsigned char>(text[i])]) continue;
    out.append(text.substr(run, i - run));
    out += EscapeOf(text[i]);
    run = i + 1;
  }
  out.append(text.substr(run));
  out += "\"\n";
}

}  // namespace

void AppendPoString(std::string& out, std::string_view keyword, std::string_view text) {
  out += keyword;
  out += ' ';
  const std::size_t firstBreak = text.find('\n');
  if (firstBreak == std::string_view::npos || firstBreak + 1 == text.size()) return AppendQuoted(out, text);
  out += "\"\"\n";
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    AppendQuoted(out, text.substr(0, end));
    text.remove_prefix(end);
  }
}

std::vector<std::string_view> TokensOf(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t position = 0;
  for (;;) {
    const std::size_t open = text.find('<', position);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find('>', open + 1);
    if (close == std::string_view::npos) break;
    if (close > open + 1) tokens.push_back(text.substr(open, close + 1 - open));
    position = close + 1;
  }
  std::sort(tokens.begin(), tokens.end());
  tokens.erase(std::unique(tokens.begin(), tokens.end()), tokens.end());
  return tokens;
}

std::string WithBreaksOf(std::string_view text, std::string_view model) {
  const auto leading = [](std::string_view s) { return std::min(s.find_first_not_of('\n'), s.size()); };
  const auto trailing = [](std::string_view s) {
    const std::size_t last = s.find_last_not_of('\n');
    return last == std::string_view::npos ? s.size() : s.size() - 1 - last;
  };
  const std::size_t modelLead = leading(model);
  if (modelLead == model.size()) return std::string(model);  // breaks only
  const std::size_t lead = leading(text);
  if (lead == text.size()) return std::string(model);
  const std::string_view core = text.substr(lead, text.size() - lead - trailing(text));
  return std::string(modelLead, '\n') + std::string(core) + std::string(trailing(model), '\n');
}

}  // namespace trovex

#include "strings/PoText.hpp"

#include <algorithm>

namespace trovex {

std::string ShownText(std::string_view text, const TCodePage& page) {
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
  std::string shown;
  shown.reserve(unified.size() + unified.size() / 8);
  page.AppendUtf8(shown, unified);
  return shown;
}

namespace {

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\a': out += "\\a"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\v': out += "\\v"; break;
      default: out += c;
    }
  }
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

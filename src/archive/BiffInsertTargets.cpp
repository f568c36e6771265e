#include "archive/BiffInsertTargets.hpp"

#include <cstdint>

namespace trovex {

namespace {

constexpr std::string_view kTargetPrefix = "#Target ";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "0x" and one or more hexadecimal digits; saturates at UINT64_MAX.
std::optional<std::uint64_t> ParseHexIndex(std::string_view text) {
  if (text.size() < 3 || text.substr(0, 2) != "0x") return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text.substr(2)) {
    const int digit = HexValue(c);
    if (digit < 0) return std::nullopt;
    value = value > (UINT64_MAX >> 4) ? UINT64_MAX : (value << 4) | static_cast<unsigned>(digit);
  }
  return value;
}

}  // namespace

std::optional<EntryTargetLine> ParseEntryTarget(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view head = line.substr(0, colon);
  if (head.substr(0, kTargetPrefix.size()) != kTargetPrefix) return std::nullopt;
  head.remove_prefix(kTargetPrefix.size());
  const std::size_t blank = head.find(' ');
  if (blank == 0 || blank == std::string_view::npos) return std::nullopt;
  const auto index = ParseHexIndex(head.substr(blank + 1));
  if (!index) return std::nullopt;
  const std::size_t pathStart = colon + 2;
  return EntryTargetLine{std::string(head.substr(0, blank)), *index,
                         pathStart < line.size() ? std::string(line.substr(pathStart)) : std::string()};
}

bool IsFrameLine(std::string_view line) { return line.find("#Target BMP:") != std::string_view::npos; }

}  // namespace trovex

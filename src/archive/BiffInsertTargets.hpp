// The target lines that BIFF insertion reads from a job log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trovex {

// "#Target " + kind word + " 0x" + hexadecimal entry index + ": " + path.
struct EntryTargetLine {
  std::string kindWord;
  std::uint64_t index;  // UINT64_MAX when the digits do not fit
  std::string path;     // behind the first ":" and the one character after it
};

// The parts of an entry target line: the text before its first ":" must read
// "#Target", one blank, a kind word, one blank, "0x" and hexadecimal digits.
// Nothing for any other line.
std::optional<EntryTargetLine> ParseEntryTarget(std::string_view line);

// A frame line of an IMAGE target ("#Target BMP: " + path).
bool IsFrameLine(std::string_view line);

}  // namespace trovex

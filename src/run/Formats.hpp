// Format codes and the open dialog's nine input types with their filters,
// format codes and format names, shared by the driver and replay.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "run/WindowPort.hpp"

namespace trovex {

// Format codes: they select a handler in dispatch and in replay.
enum FormatCode : std::uint8_t {
  fcNone = 0,
  fcJobLog = 1,
  fcKey = 2,
  fcBiff = 3,
  fcWavc = 4,
  fcMovie = 5,
  fcTalk = 6,
  fcFont = 7,
  fcProjectList = 8,
  fcNoFormat = 9,  // replay: no format in force
  fcMakeCompressedBiff = 10,
};

struct InputType {
  const char* filterText;  // as the open dialog shows it
  const char* pattern;
  std::uint8_t formatCode;
  const char* formatName;  // written after "#Format: "; read back by replay
  const char* cliName;     // the command line's --type word
};

inline constexpr InputType kInputTypes[9] = {
    {"BIFF packages (*.bif)", "*.bif", 3, "BIFF", "biff"},
    {"TALK text (*.tlk)", "*.tlk", 6, "TALK", "talk"},
    {"Fonts (*.fon)", "*.fon", 7, "FONT", "font"},
    {"Interplay WAV (*.wav)", "*.wav", 4, "WAVCV", "wavc"},
    {"Interplay Video (*.mve) ", "*.mve", 5, "MVE", "mve"},
    {"Project list files (*.lst)", "*.lst", 8, "", "list"},
    {"Log files (*.log)", "*.log", 1, "", "log"},
    {"Make BIFF Compressed", "*.bif", 10, "BIFFCV", "compress"},
    {"KEY files (*.key)", "*.key", 2, "KEY", "key"},
};

// The row of a 1-based filter index, or nothing when out of range.
const InputType* InputTypeOfFilter(int filterIndex);
// The row whose format code is code, or nothing.
const InputType* InputTypeOfCode(std::uint8_t code);
// The format code of a "#Format:" name: the first row whose name equals it
// exactly; the two empty names never match. fcNoFormat when none does.
std::uint8_t FormatCodeOfName(std::string_view name);
// The 1-based filter index of a --type word, or 0.
int FilterIndexOfCliName(std::string_view name);
// The nine filters in dialog order.
std::vector<FileFilter> OpenDialogFilters();

}  // namespace trovex

// How the window names the input type in force, and which input type a file
// is of when it comes without a filter (dropped on the list, or named on the
// program's command line).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/Formats.hpp"

namespace trovex {

// What the list holds when its entries are of a format code, as in "The list
// holds BIFF archives."
std::string EntriesNoun(std::uint8_t formatCode);

// The status text that shows the input type in force while no run is under
// way ("Input: BIFF packages (*.bif)"); empty before the first Add.
std::string InputTypeText(std::uint8_t formatCode);

// The input type of a file name: the first row of the input-type table whose
// pattern matches its extension, ignoring case; nothing when none does.
const InputType* InputTypeOfPath(const std::string& path);

// The one input type of a set of files, or the reason why they have none.
struct DroppedFilesType {
  const InputType* type = nullptr;
  std::string refusal;
};
DroppedFilesType InputTypeOfFiles(const std::vector<std::string>& paths);

// Files chosen in the open dialog under an input type, checked against their
// extensions: files whose extension belongs to another input type do not
// fit. When none fits and all are of one other type, that type is offered.
struct ChosenFilesCheck {
  bool fits = true;
  const InputType* offered = nullptr;  // ask to add them as this type instead
  std::string text;                    // the question, or the refusal
};
ChosenFilesCheck CheckChosenFiles(const InputType& chosen, const std::vector<std::string>& paths);

}  // namespace trovex

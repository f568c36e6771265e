#include "run/Formats.hpp"

namespace trovex {

const InputType* InputTypeOfFilter(int filterIndex) {
  if (filterIndex < 1 || filterIndex > static_cast<int>(std::size(kInputTypes))) return nullptr;
  return &kInputTypes[filterIndex - 1];
}

const InputType* InputTypeOfCode(std::uint8_t code) {
  for (const auto& type : kInputTypes) {
    if (type.formatCode == code) return &type;
  }
  return nullptr;
}

std::uint8_t FormatCodeOfName(std::string_view name) {
  for (const auto& type : kInputTypes) {
    if (*type.formatName != '\0' && name == type.formatName) return type.formatCode;
  }
  return fcNoFormat;
}

int FilterIndexOfCliName(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kInputTypes); ++i) {
    if (name == kInputTypes[i].cliName) return static_cast<int>(i) + 1;
  }
  return 0;
}

std::vector<FileFilter> OpenDialogFilters() {
  std::vector<FileFilter> filters;
  for (const auto& type : kInputTypes) filters.push_back({type.filterText, type.pattern});
  return filters;
}

}  // namespace trovex

#include "app/InputChoice.hpp"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "framework/Paths.hpp"

namespace trovex {

namespace {

struct EntriesName {
  std::uint8_t formatCode;
  const char* noun;
};

constexpr EntriesName kEntriesNames[] = {
    {fcBiff, "BIFF archives"},
    {fcTalk, "TALK tables"},
    {fcFont, "fonts"},
    {fcWavc, "compressed sounds"},
    {fcMovie, "movies"},
    {fcProjectList, "the job logs of a project list"},
    {fcJobLog, "job logs"},
    {fcMakeCompressedBiff, "BIFF archives to compress"},
    {fcKey, "KEY indexes"},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The extension of a file name with its dot (".bif"), or empty.
std::string_view ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot);
}

// The extensions the table knows, for a refusal: ".bif, .tlk, ...".
std::string KnownExtensions() {
  std::string known;
  for (const InputType& type : kInputTypes) {
    const std::string_view extension = ExtensionOf(type.pattern);
    if (known.find(extension) != std::string::npos) continue;
    known += (known.empty() ? "" : ", ") + std::string(extension);
  }
  return known;
}

}  // namespace

std::string EntriesNoun(std::uint8_t formatCode) {
  for (const EntriesName& name : kEntriesNames) {
    if (name.formatCode == formatCode) return name.noun;
  }
  return "files";
}

std::string InputTypeText(std::uint8_t formatCode) {
  const InputType* type = InputTypeOfCode(formatCode);
  if (type == nullptr) return "";
  std::string text = type->filterText;
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return "Input: " + text;
}

const InputType* InputTypeOfPath(const std::string& path) {
  const std::string_view extension = ExtensionOf(FileNamePart(path));
  if (extension.empty()) return nullptr;
  for (const InputType& type : kInputTypes) {
    if (SameIgnoringCase(ExtensionOf(type.pattern), extension)) return &type;
  }
  return nullptr;
}

DroppedFilesType InputTypeOfFiles(const std::vector<std::string>& paths) {
  DroppedFilesType result;
  for (const std::string& path : paths) {
    const InputType* type = InputTypeOfPath(path);
    if (type == nullptr) {
      return {nullptr, FileNamePart(path) + " is of no input type that Trovex reads (" + KnownExtensions() + ")."};
    }
    if (result.type != nullptr && result.type != type) {
      return {nullptr, "The files are of different input types (" + EntriesNoun(result.type->formatCode) + " and " +
                           EntriesNoun(type->formatCode) + "); add the files of one type at a time."};
    }
    result.type = type;
  }
  return result;
}

}  // namespace trovex

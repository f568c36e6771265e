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
  const std::string name = FileNamePart(path);  // the view below points into it
  const std::string_view extension = ExtensionOf(name);
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

ChosenFilesCheck CheckChosenFiles(const InputType& chosen, const std::vector<std::string>& paths) {
  const std::string_view chosenExtension = ExtensionOf(chosen.pattern);
  std::vector<std::string> misfits;
  for (const std::string& path : paths) {
    const std::string name = FileNamePart(path);
    if (InputTypeOfPath(name) != nullptr && !SameIgnoringCase(ExtensionOf(name), chosenExtension)) misfits.push_back(path);
  }
  if (misfits.empty()) return {};
  const std::string wanted = EntriesNoun(chosen.formatCode);
  const DroppedFilesType all = InputTypeOfFiles(paths);
  if (misfits.size() == paths.size() && all.type != nullptr) {
    const std::string found = EntriesNoun(all.type->formatCode);
    return {false, all.type,
            (paths.size() == 1 ? FileNamePart(paths.front()) + " is one of the " : "The chosen files are ") + found +
                ", not " + wanted + ". Add " + (paths.size() == 1 ? "it" : "them") + " as " + found + "?"};
  }
  const InputType* other = InputTypeOfPath(misfits.front());
  return {false, nullptr,
          FileNamePart(misfits.front()) + " is one of the " + EntriesNoun(other->formatCode) + ", not " + wanted +
              "; nothing was added. Choose files of one type, with the type that fits them."};
}

}  // namespace trovex

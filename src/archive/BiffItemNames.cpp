#include "archive/BiffItemNames.hpp"

#include <cctype>

#include "archive/KeyListing.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"

namespace trovex {

namespace {

std::string ItemLabel(std::uint32_t index) { return Format("Item %llu", static_cast<unsigned long long>(index) + 1); }

std::string WithoutDot(const std::string& stem) { return stem.empty() ? stem : stem.substr(0, stem.size() - 1); }

// The family base of a name like a frame's ("X_00A3"), or nothing.
std::optional<std::string> FrameBase(const std::string& name) {
  constexpr std::size_t kSuffix = 5;  // "_" and four hex digits
  if (name.size() < kSuffix || name[name.size() - kSuffix] != '_') return std::nullopt;
  for (std::size_t i = name.size() - 4; i < name.size(); ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
  }
  return name.substr(0, name.size() - kSuffix);
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

KeyNamesOfArchive ReadKeyNamesOfArchive(const std::string& keyPath, const std::string& archivePath) {
  TFileStream file(keyPath, FileMode::OpenRead);
  const KeyIndex key = ReadKeyIndex(file, keyPath);
  const KeyArchiveMatch match = FindKeyArchive(key, archivePath);
  const std::string archive = FileNamePart(archivePath);
  const std::string index = FileNamePart(keyPath);
  switch (match.outcome) {
    case KeyArchiveMatch::Outcome::Found:
      return {TArchiveNames(ReadKeyResources(key, keyPath), match.archive), ""};
    case KeyArchiveMatch::Outcome::Ambiguous:
      return {std::nullopt,
              Format("%s is one of %zu archives of %s (%s) that its folders do not tell apart; its items "
                     "keep numbered names.",
                     archive.c_str(), match.candidates.size(), index.c_str(), Joined(match.candidates).c_str())};
    case KeyArchiveMatch::Outcome::Missing:
      break;
  }
  return {std::nullopt, archive + " is not in " + index + "; its items keep numbered names."};
}

TItemNames::TItemNames(std::string archivePath, const TArchiveNames& names, const std::vector<BiffFileEntry>& entries)
    : archivePath_(std::move(archivePath)) {
  names_.reserve(entries.size());
  for (const auto& entry : entries) names_.push_back(EscapedResourceName(names.FileName(entry.locator, entry.type)));
}

TItemNames::Choice TItemNames::Stem(std::uint32_t index, const std::string& folder, const std::string& extension,
                                    bool frames) {
  const std::string numbered = ItemStem(archivePath_, index);
  // Without names every path differs from every other by its entry number.
  if (!Named()) return {numbered, ""};
  Choice choice;
  const std::string& name = names_[index];
  if (!name.empty()) {
    const std::string stem = name + ".";
    const auto holder = Holder(folder, stem, extension, frames);
    if (!holder) {
      Claim(index, folder, stem, extension, frames);
      return {stem, ""};
    }
    choice.note = Format("%s keeps its numbered name: its name %s is taken by item %llu.", ItemLabel(index).c_str(),
                         name.c_str(), static_cast<unsigned long long>(*holder) + 1);
  }
  if (const auto holder = Holder(folder, numbered, extension, frames)) {
    return {std::nullopt, Format("its numbered name %s is taken by item %llu.", WithoutDot(numbered).c_str(),
                                 static_cast<unsigned long long>(*holder) + 1)};
  }
  Claim(index, folder, numbered, extension, frames);
  choice.stem = numbered;
  return choice;
}

std::optional<std::uint32_t> TItemNames::Holder(const std::string& folder, const std::string& stem,
                                                const std::string& extension, bool frames) const {
  const std::string base = FoldedName(folder + "/" + WithoutDot(stem));
  if (frames) {
    for (const auto* claims : {&families_, &frameLike_}) {
      if (const auto found = claims->find(base); found != claims->end()) return found->second;
    }
    return std::nullopt;
  }
  if (const auto found = files_.find(FoldedName(folder + "/" + stem + extension)); found != files_.end()) {
    return found->second;
  }
  const auto family = FrameBase(base);
  if (family && FoldedName(extension) == "bmp") {
    if (const auto found = families_.find(*family); found != families_.end()) return found->second;
  }
  return std::nullopt;
}

void TItemNames::Claim(std::uint32_t index, const std::string& folder, const std::string& stem,
                       const std::string& extension, bool frames) {
  const std::string base = FoldedName(folder + "/" + WithoutDot(stem));
  if (frames) {
    families_.emplace(base, index);
    return;
  }
  files_.emplace(FoldedName(folder + "/" + stem + extension), index);
  if (const auto family = FrameBase(base); family && FoldedName(extension) == "bmp") frameLike_.emplace(*family, index);
}

}  // namespace trovex

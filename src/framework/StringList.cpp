#include "framework/StringList.hpp"

#include <cstring>

#include "framework/Errors.hpp"
#include "framework/FileStream.hpp"
#include "framework/SafeOutput.hpp"

namespace trovex {

const std::string& TStringList::Get(std::size_t index) const {
  if (index >= lines_.size()) throw EListError(static_cast<long long>(index));
  return lines_[index];
}

void TStringList::Set(std::size_t index, std::string text) {
  if (index >= lines_.size()) throw EListError(static_cast<long long>(index));
  lines_[index] = std::move(text);
}

void TStringList::Delete(std::size_t index) {
  if (index >= lines_.size()) throw EListError(static_cast<long long>(index));
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TStringList::LoadFromText(std::string_view text) {
  lines_.clear();
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines_.emplace_back(text.substr(start));
      break;
    }
    lines_.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

void TStringList::LoadFromStream(TStream& stream) {
  std::string text(static_cast<std::size_t>(stream.Remaining()), '\0');
  stream.ReadBuffer(text.data(), text.size());
  LoadFromText(text);
}

void TStringList::LoadFromFile(const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  LoadFromStream(file);
}

std::string TStringList::Text() const {
  std::size_t total = 0;
  for (const auto& line : lines_) total += line.size() + 2;
  std::string text;
  text.reserve(total);
  for (const auto& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void TStringList::SaveToStream(TStream& stream) const { stream.WriteText(Text()); }

void TStringList::SaveToFile(const std::string& path) const { WriteWholeFile(path, Text()); }

}  // namespace trovex

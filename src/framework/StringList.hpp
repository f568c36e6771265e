// Ordered lists of 8-bit text lines with the program's text-file rules:
// written with CR LF after every line; read with CR LF, LF or CR as line
// ends, empty lines kept, reading stopped at a zero byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/Stream.hpp"

namespace trovex {

class TStringList {
 public:
  std::size_t Count() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  // Checked access: "List index out of bounds (%d)".
  const std::string& Get(std::size_t index) const;
  void Set(std::size_t index, std::string text);
  void Add(std::string text) { lines_.push_back(std::move(text)); }
  void Delete(std::size_t index);
  void Clear() { lines_.clear(); }
  void Reserve(std::size_t count) { lines_.reserve(count); }

  void LoadFromText(std::string_view text);
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& path);
  // The text form: every line followed by CR LF.
  std::string Text() const;
  void SaveToStream(TStream& stream) const;
  // Writes through safe output creation.
  void SaveToFile(const std::string& path) const;

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace trovex

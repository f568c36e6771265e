// A PO file read through GNU gettext's own library, a chunk of entries at a
// time: the library holds a whole file in memory, several hundred bytes for
// each entry, so it is handed a few megabytes at a time, cut between entries.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Stream.hpp"

namespace trovex {

// Whether this build reads PO files (it needs libgettextpo).
bool PoFilesAvailable();

// A PO file that gettext finds not valid: its message, with the file and line.
class EPoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An entry of a PO file; its texts are valid until the reader's next call.
struct PoEntry {
  std::optional<std::string_view> context;  // msgctxt
  std::string_view msgid;
  std::string_view msgstr;  // of a plural entry: msgstr[0]
  bool plural = false;
  bool fuzzy = false;
  bool obsolete = false;
  std::size_t line = 0;  // the one-based line of the entry's msgstr
};

class TPoReader {
 public:
  // Reads the header entry of the PO file in stream; poName names the file in
  // messages, scratchDir is where chunks are handed to the library.
  TPoReader(TStream& stream, const std::string& poName, const std::string& scratchDir);
  ~TPoReader();
  TPoReader(const TPoReader&) = delete;
  TPoReader& operator=(const TPoReader&) = delete;

  // A field of the header entry, or nothing.
  std::optional<std::string> HeaderField(const std::string& name) const;
  // The next entries in file order, the header not among them; false at the end.
  bool Next(std::vector<PoEntry>& entries);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace trovex

// The TALK string table layout. All integers are little-endian.
//
//   0   10 bytes      header start: never interpreted, copied by the rebuild
//   10  u32           entry count
//   14  u32           strings offset: absolute offset of the string data area
//   18  26 x count    entry table, one entry per string in string-number order
//   strings offset    string data: the bytes of all strings, no terminators
//
// An entry (26 bytes, entry i at 18 + 26 * i):
//   +0  18 bytes      attributes: never interpreted, copied by the rebuild
//   +18 u32           string offset, relative to the strings offset
//   +22 u32           string length in bytes (0 for an empty string)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Stream.hpp"
#include "strings/SourceText.hpp"

namespace trovex {

inline constexpr std::uint32_t kTalkCountOffset = 10;
inline constexpr std::uint32_t kTalkStringsOffsetOffset = 14;
inline constexpr std::uint32_t kTalkHeaderSize = 18;
inline constexpr std::uint32_t kTalkEntrySize = 26;
inline constexpr std::uint32_t kTalkEntryStringOffset = 18;  // within an entry
inline constexpr std::uint32_t kTalkEntryStringLength = 22;  // within an entry

// The header and entry table of a table, with its layout checked: the entry
// table lies inside the file, and the string data starts behind the entry
// table and inside the file.
struct TalkTable {
  std::string prefix;  // bytes 0 up to the strings offset
  std::uint64_t fileSize = 0;
  std::uint32_t count = 0;
  std::uint32_t stringsOffset = 0;

  std::size_t EntryPosition(std::uint32_t index) const { return kTalkHeaderSize + std::size_t{kTalkEntrySize} * index; }
  std::uint32_t StringOffset(std::uint32_t index) const;
  std::uint32_t StringLength(std::uint32_t index) const;
  void SetString(std::uint32_t index, std::uint32_t offset, std::uint32_t length);
};

// Reads the header and the entry table (with anything up to the string data)
// of the table in stream; path names it in error messages ("Invalid TALK
// table <path>: <fault>").
TalkTable ReadTalkTable(TStream& stream, const std::string& path);

// Reads the strings of a table through a window over its file. Strings that
// follow each other in the file are read in pieces that grow to a megabyte;
// any other string is read alone, so no order of strings makes the reads
// much larger than the strings.
class TTalkStrings {
 public:
  TTalkStrings(TStream& stream, const TalkTable& table) : stream_(stream), table_(table) {}
  // The bytes of string index that lie inside the file; valid until the
  // next call.
  std::string_view Stored(std::uint32_t index);
  // The same up to the first NUL: the string's text.
  std::string_view String(std::uint32_t index) { return TextOf(Stored(index)); }
  static std::string_view TextOf(std::string_view stored) { return stored.substr(0, stored.find('\0')); }
  // The bytes of string index that lie inside the file, in memory when they
  // are short, else read from the file as they are used: valid until the
  // next call.
  TSourceText StoredText(std::uint32_t index);
  static TSourceText TextOf(const TSourceText& stored) { return stored.Prefix(stored.find('\0')); }

 private:
  static constexpr std::uint64_t kFirstReadAhead = std::uint64_t{1} << 14;
  static constexpr std::uint64_t kLastReadAhead = std::uint64_t{1} << 20;
  TStream& stream_;
  const TalkTable& table_;
  std::string window_;
  std::uint64_t windowStart_ = 0;  // the file offset of window_[0]
  std::uint64_t readAhead_ = 0;    // bytes read beyond the string asked for
};

}  // namespace trovex

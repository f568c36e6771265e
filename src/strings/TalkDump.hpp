// The text dump of a TALK table. For each entry, in table order:
//
//   [%08u]          the identifier line: the entry number, at least 8 digits
//   <masked text>   the string with its tokens masked; its own breaks kept
//   [########]      the end line
//
// every line followed by CR LF. Masking replaces every byte between a "<" and
// the next ">" by "*", so a translator sees <****> where the string holds
// <NAME>; the rebuild puts the source's tokens back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "framework/Stream.hpp"
#include "strings/SourceText.hpp"
#include "strings/TextOut.hpp"

namespace trovex {

inline constexpr std::string_view kDumpEndLine = "[########]";

// Appends text with its tokens masked.
void AppendMasked(TTextOut& out, const TSourceText& text);

// Appends the identifier line, the masked text and the end line of an entry.
void AppendDumpEntry(TTextOut& out, std::uint32_t index, const TSourceText& text);

// The number of an identifier line: without surrounding blanks and tabs, "["
// + one or more decimal digits + "]". A number too large for 64 bits gives the
// largest 64-bit value, which no entry has.
std::optional<std::uint64_t> IdentifierOf(std::string_view line);

// True when edited (an entry's lines joined with LF) is what the dump shows
// for the source string: its text masked, every CR LF, lone CR and lone LF
// one line break.
bool DumpShows(std::string_view edited, const TSourceText& source);

// True when the first line break of text is CR LF.
bool BreaksWithCrLf(const TSourceText& text);

// What token restoring found in one entry.
struct TokenCounts {
  std::size_t masked = 0;  // masked tokens in the edited text
  std::size_t source = 0;  // tokens in the source string
};

// True when the edited text holds both a "<" and a ">", or ends in a masked
// unclosed token ("<**"): the only cases in which restoring consults the
// source string.
bool MayHoldTokens(std::string_view edited);

// Appends the edited text with its masked tokens ("<" + one or more "*" +
// ">") replaced, in order, by the tokens of the source string (a "<", at
// least one byte, and the next ">"). Text outside masked tokens is kept
// exactly; masked tokens beyond the source's stay as written, and surplus
// source tokens are not added. An edited text without "<" or without ">" is
// appended unchanged and the source is not consulted (both counts 0), except
// for a masked unclosed token ending it ("<**"), which takes back the source's
// own unclosed last token. With crlf set, every LF of the edited text is
// appended as CR LF (tokens come as the source holds them).
TokenCounts AppendRestored(TTextOut& out, std::string_view edited, const TSourceText& source, bool crlf = false);

// The same for text in memory.
inline void AppendMasked(std::string& out, std::string_view text) {
  TTextOut to(out);
  AppendMasked(to, TSourceText(text));
}
inline void AppendDumpEntry(std::string& out, std::uint32_t index, std::string_view text) {
  TTextOut to(out);
  AppendDumpEntry(to, index, TSourceText(text));
}
inline bool DumpShows(std::string_view edited, std::string_view source) {
  return DumpShows(edited, TSourceText(source));
}
inline TokenCounts AppendRestored(std::string& out, std::string_view edited, std::string_view source) {
  TTextOut to(out);
  return AppendRestored(to, edited, TSourceText(source));
}

// A line of a dump, or a part of one: a line longer than the reader's chunk
// (and than 4 KiB) comes in pieces, so that no long line is ever held whole.
struct TLinePiece {
  std::string_view text;
  bool lineEnds;  // the line ends behind this piece
};

// Reads a dump line by line from a stream, a chunk at a time, with the
// text-file rules: CR LF, lone CR and lone LF end a line, a final line needs
// no break, a NUL byte ends the text.
class TDumpLines {
 public:
  explicit TDumpLines(TStream& stream, std::size_t chunkSize = std::size_t{1} << 20);
  // The next line, valid until the next call, or nothing at the end.
  std::optional<std::string_view> Next();
  // The next piece of a line, valid until the next call, or nothing at the end.
  std::optional<TLinePiece> NextPiece();
  // The one-based number of the line that ended last.
  std::size_t LineNumber() const { return number_; }
  // At most how many bytes of the dump are still to come.
  std::uint64_t BytesLeft() { return end_ - begin_ + static_cast<std::uint64_t>(stream_.Remaining()); }

 private:
  // Moves the unread bytes to the front and reads more behind them.
  void Fill();
  // The first length unread bytes as a piece, skipping skip bytes of break behind them.
  TLinePiece Take(std::size_t length, std::size_t skip, bool lineEnds);

  static constexpr std::size_t kFirstRead = std::size_t{1} << 16;
  // Lines up to this long (or the chunk size, if larger) come whole.
  static constexpr std::size_t kShortestPiece = 4096;
  TStream& stream_;
  std::size_t chunkSize_;
  std::size_t readSize_ = 0;  // the size of the last read, growing to chunkSize_
  std::string buffer_;
  std::size_t begin_ = 0;  // the unread bytes are buffer_[begin_, end_)
  std::size_t end_ = 0;
  bool atEnd_ = false;  // the stream is exhausted or a NUL byte was read
  std::size_t number_ = 0;
  bool midLine_ = false;  // pieces of a line that has not ended were handed out
  std::string line_;      // a line gathered from pieces
};

}  // namespace trovex

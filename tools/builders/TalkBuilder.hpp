// TALK string tables for tests, samples and benchmarks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "builders/Bytes.hpp"

namespace trovex::build {

struct TalkEntry {
  std::string text;
  // The 18 attribute bytes before the string's offset and length; shorter is
  // padded with zeros. Empty gives attributes made from the entry's number.
  std::string attributes;
};

// A table as the game writes it: a 10-byte header start ("TLK V1  " and a
// language number), the entry count, the strings offset, the 26-byte entries,
// gap (bytes between the entry table and the string data, usually none), then
// the strings back to back in entry order.
std::string MakeTalkTable(const std::vector<TalkEntry>& entries, const std::string& gap = "");
// The same for plain strings with generated attributes.
std::string MakeTalkTable(const std::vector<std::string>& strings);

// A random string of about averageLength bytes: words, tokens such as
// <CHARNAME>, line breaks of every kind (CR LF, LF, CR), bytes above 127, and
// now and then an empty string. No NUL bytes, and "<" and ">" only in closed
// tokens of at least one character.
std::string RandomTalkString(Random& random, std::size_t averageLength);

// A description as real tables hold them: paragraphs of sentences, each
// line ended by CR LF, a blank line between paragraphs, and now and then a
// token.
std::string ParagraphText(Random& random, std::size_t paragraphs);

// Strings that hold every byte from 0x20 up (an 8-bit code page), or every
// lead byte from 0x81 with every trail byte from 0x40 (a double-byte page),
// so a table of them holds every character of its page.
std::vector<std::string> EveryCharacterStrings(bool doubleByte);

// The strings of a well-formed table, in entry order.
std::vector<std::string> TalkTableStrings(const std::string& table);

}  // namespace trovex::build

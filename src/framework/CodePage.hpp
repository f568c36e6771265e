// The code pages that string tables are stored in, and conversion between
// them and UTF-8. Every page is a table built once from the system's
// converter (iconv, or the Windows conversion), read by our own code, so both
// systems convert by the same rules:
//  - a byte (or, in the double-byte pages, a lead and a trail byte) that the
//    page does not define becomes U+FFFD; so do the C1 controls and private
//    use characters that one system gives for such bytes and the other not;
//  - a character that several byte sequences stand for is written as the
//    lowest of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace trovex {

inline constexpr unsigned kUtf8CodePage = 65001;
inline constexpr unsigned kDefaultCodePage = 1252;
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The pages a table may be stored in, in the order the window lists them.
const std::vector<unsigned>& SupportedCodePages();
// A page's name as options and PO headers give it: "1252", "UTF-8".
std::string CodePageName(unsigned page);
// The page of a name ("1252", "cp1252", "utf-8", "UTF8"), when supported.
std::optional<unsigned> CodePageOfName(std::string_view name);
// "1250 to 1258, 874, 932, 936, 949, 950 or UTF-8", for messages.
std::string SupportedCodePageNames();

// Appends the UTF-8 form of c.
void AppendUtf8(std::string& out, char32_t c);
// The character of the UTF-8 sequence at position, moving position past it;
// nothing, position unmoved, when the bytes there are not valid UTF-8.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& position);

class TCodePage {
 public:
  // The converter of a supported page, built on first use and kept.
  static const TCodePage& Of(unsigned page);

  unsigned Number() const { return number_; }
  // Appends bytes of the page as UTF-8.
  void AppendUtf8(std::string& out, std::string_view bytes) const;
  // The byte sequences of bytes that AppendUtf8 shows as U+FFFD, in order.
  std::vector<std::string_view> UndefinedSequences(std::string_view bytes) const;

  // Where UTF-8 text could not be converted: the byte position of the
  // character, and the character (nothing when the text is not valid UTF-8).
  struct Refusal {
    std::size_t position;
    std::optional<char32_t> character;
  };
  // Appends UTF-8 text in the page; stops at the first character that has no
  // place in the page, and says which.
  std::optional<Refusal> AppendEncoded(std::string& out, std::string_view utf8) const;

 private:
  explicit TCodePage(unsigned number);
  void BuildTables();
  // Calls emit(character, its bytes) for each character of bytes.
  template <class Emit>
  void Decode(std::string_view bytes, Emit emit) const;

  static constexpr char32_t kLeadByte = 0xFFFFFFFE;  // in singles_: a lead byte
  unsigned number_;
  bool doubleByte_ = false;
  std::vector<char32_t> singles_;  // by byte (128..255): character, lead byte or undefined
  std::vector<char32_t> pairs_;    // by (lead - 128) * 256 + trail
  std::vector<std::pair<char32_t, std::uint16_t>> encodings_;  // sorted by character
  std::vector<std::string> utf8Of_;  // of an 8-bit page: by byte (128..255), its UTF-8 form
};

}  // namespace trovex

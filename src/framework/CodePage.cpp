#include "framework/CodePage.hpp"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>

#include "framework/Errors.hpp"
#include "framework/Platform.hpp"

namespace trovex {

namespace {

constexpr unsigned kDoubleBytePages[] = {932, 936, 949, 950};

// A character the tables take from the system: C1 controls and private use
// characters are what one system gives for bytes that the other does not
// define, so neither counts.
bool Acceptable(char32_t c) {
  if (c == platform::kNoCharacter || c == kReplacementCharacter) return false;
  if (c >= 0x80 && c < 0xA0) return false;
  if (c >= 0xD800 && c < 0xE000) return false;
  return !(c >= 0xE000 && c < 0xF900);
}

// Bytes that one system's table defines and the other's not (Windows gives
// 0xCA of 1255 as U+05BA, iconv leaves it undefined): undefined on both.
struct DisputedByte {
  unsigned page;
  unsigned byte;
};
constexpr DisputedByte kDisputedBytes[] = {{1255, 0xCA}};

bool Disputed(unsigned page, unsigned byte) {
  return std::any_of(std::begin(kDisputedBytes), std::end(kDisputedBytes),
                     [&](const DisputedByte& d) { return d.page == page && d.byte == byte; });
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

const std::vector<unsigned>& SupportedCodePages() {
  static const std::vector<unsigned> pages = {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258,
                                              874,  932,  936,  949,  950,  kUtf8CodePage};
  return pages;
}

std::string CodePageName(unsigned page) { return page == kUtf8CodePage ? "UTF-8" : std::to_string(page); }

std::optional<unsigned> CodePageOfName(std::string_view name) {
  std::string lower = Lower(name);
  if (lower == "utf-8" || lower == "utf8" || lower == "65001") return kUtf8CodePage;
  if (lower.compare(0, 2, "cp") == 0) lower.erase(0, 2);
  for (const unsigned page : SupportedCodePages()) {
    if (page != kUtf8CodePage && lower == std::to_string(page)) return page;
  }
  return std::nullopt;
}

std::string SupportedCodePageNames() { return "1250 to 1258, 874, 932, 936, 949, 950 or UTF-8"; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& position) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(position);
  if (first < 0x80) {
    ++position;
    return first;
  }
  // The length, the bits of the first byte and the least character of each
  // form, so that overlong forms, surrogates and values past U+10FFFF fail.
  std::size_t length = 0;
  char32_t c = 0;
  char32_t least = 0;
  if (first >= 0xC2 && first < 0xE0) {
    length = 2, c = first & 0x1F, least = 0x80;
  } else if (first >= 0xE0 && first < 0xF0) {
    length = 3, c = first & 0x0F, least = 0x800;
  } else if (first >= 0xF0 && first < 0xF5) {
    length = 4, c = first & 0x07, least = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() - position < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(position + i) & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (byte(position + i) & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
  position += length;
  return c;
}

const TCodePage& TCodePage::Of(unsigned page) {
  static std::mutex mutex;
  static std::map<unsigned, std::unique_ptr<TCodePage>> built;
  const std::lock_guard<std::mutex> lock(mutex);
  auto& converter = built[page];
  if (!converter) {
    if (!CodePageOfName(CodePageName(page))) throw EConvertError(Format("Code page %u is not supported", page));
    converter.reset(new TCodePage(page));
  }
  return *converter;
}

TCodePage::TCodePage(unsigned number) : number_(number) {
  if (number_ != kUtf8CodePage) BuildTables();
}

void TCodePage::BuildTables() {
  doubleByte_ = std::find(std::begin(kDoubleBytePages), std::end(kDoubleBytePages), number_) !=
                std::end(kDoubleBytePages);
  std::vector<std::string> sequences;
  for (unsigned b = 0x80; b < 0x100; ++b) sequences.emplace_back(1, static_cast<char>(b));
  const std::vector<char32_t> singles = platform::CodePageCharacters(number_, sequences);
  singles_.assign(256, kReplacementCharacter);
  for (unsigned b = 0; b < 0x80; ++b) singles_[b] = b;
  for (unsigned b = 0x80; b < 0x100; ++b) {
    const char32_t c = singles[b - 0x80];
    if (Acceptable(c) && !Disputed(number_, b)) {
      singles_[b] = c;
      encodings_.emplace_back(c, static_cast<std::uint16_t>(b));
    }
  }
  if (doubleByte_) {
    // Every byte that is no character of its own may lead a pair; trail
    // bytes lie from 0x40 up in every double-byte page, so breaks and token
    // brackets are never part of a pair.
    sequences.clear();
    for (unsigned lead = 0x80; lead < 0x100; ++lead) {
      for (unsigned trail = 0; trail < 0x100; ++trail) {
        sequences.push_back(std::string{static_cast<char>(lead), static_cast<char>(trail)});
      }
    }
    const std::vector<char32_t> pairs = platform::CodePageCharacters(number_, sequences);
    pairs_.assign(pairs.size(), kReplacementCharacter);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      const unsigned lead = 0x80 + static_cast<unsigned>(i >> 8);
      const unsigned trail = i & 0xFF;
      if (trail < 0x40 || singles_[lead] != kReplacementCharacter || !Acceptable(pairs[i])) continue;
      pairs_[i] = pairs[i];
      encodings_.emplace_back(pairs[i], static_cast<std::uint16_t>(lead << 8 | trail));
    }
    for (std::size_t i = 0; i < pairs_.size(); ++i) {
      if (pairs_[i] != kReplacementCharacter) singles_[0x80 + (i >> 8)] = kLeadByte;
    }
  }
  if (!doubleByte_) {
    for (unsigned b = 0x80; b < 0x100; ++b) {
      utf8Of_.emplace_back();
      trovex::AppendUtf8(utf8Of_.back(), singles_[b]);
    }
  }
  if (encodings_.empty()) throw EConvertError(Format("The system offers no conversion for code page %u", number_));
  // Sorted by character, then sequence: the first of a character is its lowest.
  std::sort(encodings_.begin(), encodings_.end());
}

template <class Emit>
void TCodePage::Decode(std::string_view bytes, Emit emit) const {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t start = i;
    const auto byte = static_cast<unsigned char>(bytes[i]);
    char32_t c = kReplacementCharacter;
    if (number_ == kUtf8CodePage) {
      const auto decoded = NextUtf8(bytes, i);
      if (decoded) c = *decoded;
      if (!decoded) ++i;
    } else if (++i, byte < 0x80) {
      c = byte;
    } else if (singles_[byte] != kLeadByte) {
      c = singles_[byte];
    } else if (i < bytes.size()) {
      const char32_t pair = pairs_[std::size_t{byte - 0x80u} << 8 | static_cast<unsigned char>(bytes[i])];
      if (pair != kReplacementCharacter) c = pair, ++i;
    }
    emit(c, bytes.substr(start, i - start));
  }
}

void TCodePage::AppendUtf8(std::string& out, std::string_view bytes) const {
  if (!utf8Of_.empty()) {
    // An 8-bit page: runs of ASCII go in whole, every other byte as the
    // UTF-8 form its table gives.
    std::size_t run = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      if (byte < 0x80) continue;
      out.append(bytes.substr(run, i - run));
      out.append(utf8Of_[byte - 0x80]);
      run = i + 1;
    }
    out.append(bytes.substr(run));
    return;
  }
  Decode(bytes, [&out](char32_t c, std::string_view source) {
    if (c < 0x80) {
      out += source[0];
    } else {
      trovex::AppendUtf8(out, c);
    }
  });
}

std::vector<std::string_view> TCodePage::UndefinedSequences(std::string_view bytes) const {
  std::vector<std::string_view> sequences;
  Decode(bytes, [&sequences](char32_t c, std::string_view source) {
    if (c == kReplacementCharacter) sequences.push_back(source);
  });
  return sequences;
}

std::optional<TCodePage::Refusal> TCodePage::AppendEncoded(std::string& out, std::string_view utf8) const {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t start = i;
    const auto c = NextUtf8(utf8, i);
    if (!c) return Refusal{start, std::nullopt};
    if (*c < 0x80 || number_ == kUtf8CodePage) {
      out.append(utf8.substr(start, i - start));
      continue;
    }
    const auto found = std::lower_bound(encodings_.begin(), encodings_.end(), std::make_pair(*c, std::uint16_t{0}));
    if (found == encodings_.end() || found->first != *c) return Refusal{start, c};
    if (found->second > 0xFF) out += static_cast<char>(found->second >> 8);
    out += static_cast<char>(found->second & 0xFF);
  }
  return std::nullopt;
}

}  // namespace trovex

#include "builders/TalkBuilder.hpp"

namespace trovex::build {

namespace {

constexpr std::uint32_t kHeaderSize = 18;
constexpr std::uint32_t kEntrySize = 26;
constexpr std::size_t kAttributesSize = 18;

constexpr const char* kTokens[] = {"<CHARNAME>", "<GABBER>", "<PRO_HESHE>", "<DAYANDMONTH>", "<N>"};
constexpr const char* kBreaks[] = {"\r\n", "\n", "\r", "\r\n\r\n"};
constexpr const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Attributes that differ from entry to entry, so that a test sees them copied.
std::string GeneratedAttributes(std::size_t index) {
  std::string attributes;
  PutU16(attributes, static_cast<std::uint16_t>(1 + index % 7));  // flags
  attributes += "SND";
  PutU32(attributes, static_cast<std::uint32_t>(index));
  attributes.resize(kAttributesSize, static_cast<char>(0xA0 + index % 16));
  return attributes;
}

void AppendWord(Random& random, std::string& out) {
  const std::uint32_t length = 1 + random.Below(9);
  for (std::uint32_t i = 0; i < length; ++i) {
    // One byte in twenty is above 127, as accented letters are in the game's
    // single-byte code pages.
    if (random.Below(20) == 0) {
      out.push_back(static_cast<char>(0x80 + random.Below(0x80)));
    } else {
      out.push_back(kLetters[random.Below(sizeof kLetters - 1)]);
    }
  }
}

}  // namespace

std::string MakeTalkTable(const std::vector<TalkEntry>& entries, const std::string& gap) {
  const auto count = static_cast<std::uint32_t>(entries.size());
  std::string out = "TLK V1  ";
  PutU16(out, 0);  // language
  PutU32(out, count);
  PutU32(out, kHeaderSize + kEntrySize * count + static_cast<std::uint32_t>(gap.size()));
  std::uint32_t offset = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string attributes = entries[i].attributes.empty() ? GeneratedAttributes(i) : entries[i].attributes;
    attributes.resize(kAttributesSize, '\0');
    out += attributes;
    PutU32(out, offset);
    PutU32(out, static_cast<std::uint32_t>(entries[i].text.size()));
    offset += static_cast<std::uint32_t>(entries[i].text.size());
  }
  out += gap;
  for (const auto& entry : entries) out += entry.text;
  return out;
}

std::string MakeTalkTable(const std::vector<std::string>& strings) {
  std::vector<TalkEntry> entries;
  entries.reserve(strings.size());
  for (const auto& text : strings) entries.push_back({text, ""});
  return MakeTalkTable(entries);
}

std::string RandomTalkString(Random& random, std::size_t averageLength) {
  std::string out;
  if (random.Below(16) == 0) return out;
  const std::size_t target = 1 + random.Below(static_cast<std::uint32_t>(2 * averageLength + 1));
  while (out.size() < target) {
    const std::uint32_t pick = random.Below(24);
    if (pick == 0) {
      out += kTokens[random.Below(std::size(kTokens))];
    } else if (pick == 1) {
      out += kBreaks[random.Below(std::size(kBreaks))];
    } else {
      AppendWord(random, out);
      out += random.Below(10) == 0 ? ". " : " ";
    }
  }
  return out;
}

std::string ParagraphText(Random& random, std::size_t paragraphs) {
  std::string out;
  for (std::size_t p = 0; p < paragraphs; ++p) {
    if (p > 0) out += "\r\n\r\n";
    const std::uint32_t lines = 1 + random.Below(3);
    for (std::uint32_t line = 0; line < lines; ++line) {
      if (line > 0) out += "\r\n";
      for (std::uint32_t word = 0, words = 3 + random.Below(9); word < words; ++word) {
        if (word > 0) out += ' ';
        if (random.Below(12) == 0) {
          out += kTokens[random.Below(std::size(kTokens))];
        } else {
          AppendWord(random, out);
        }
      }
      out += '.';
    }
  }
  return out;
}

std::vector<std::string> EveryCharacterStrings(bool doubleByte) {
  std::vector<std::string> strings(1);
  for (int byte = 0x20; byte < (doubleByte ? 0x80 : 0x100); ++byte) {
    if (strings.back().size() == 48) strings.emplace_back();
    strings.back() += static_cast<char>(byte);
  }
  if (!doubleByte) return strings;
  for (int lead = 0x81; lead < 0xFF; ++lead) {
    std::string pairs;
    for (int trail = 0x40; trail < 0xFF; ++trail) {
      pairs += static_cast<char>(lead);
      pairs += static_cast<char>(trail);
    }
    strings.push_back(pairs);
  }
  return strings;
}

std::vector<std::string> TalkTableStrings(const std::string& table) {
  const auto u32 = [&table](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(table.at(at + i));
    return value;
  };
  std::vector<std::string> strings;
  for (std::uint32_t i = 0; i < u32(10); ++i) {
    const std::size_t entry = kHeaderSize + std::size_t{kEntrySize} * i;
    strings.push_back(table.substr(u32(14) + u32(entry + 18), u32(entry + 22)));
  }
  return strings;
}

}  // namespace trovex::build

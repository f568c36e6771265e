// Code page conversion on POSIX systems, through iconv.
#ifndef _WIN32

#include <iconv.h>

#include <string>
#include <vector>

#include "framework/Platform.hpp"

namespace trovex::platform {

namespace {

// iconv's name of a Windows code page.
std::string IconvName(unsigned page) { return page == 65001 ? "UTF-8" : "CP" + std::to_string(page); }

// The one character that bytes convert to, or kNoCharacter. The converter is
// flushed, as some pages hold a base letter back to see whether a combining
// mark follows, and reset for the next sequence.
char32_t OneCharacter(iconv_t converter, const std::string& bytes) {
  unsigned char utf32[16];
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* out = reinterpret_cast<char*>(utf32);
  std::size_t outLeft = sizeof utf32;
  const bool converted = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
                         inLeft == 0 && iconv(converter, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (!converted || sizeof utf32 - outLeft != 4) return kNoCharacter;
  return char32_t{utf32[0]} | char32_t{utf32[1]} << 8 | char32_t{utf32[2]} << 16 | char32_t{utf32[3]} << 24;
}

}  // namespace

std::vector<char32_t> CodePageCharacters(unsigned page, const std::vector<std::string>& sequences) {
  std::vector<char32_t> characters(sequences.size(), kNoCharacter);
  const iconv_t converter = iconv_open("UTF-32LE", IconvName(page).c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return characters;
  for (std::size_t i = 0; i < sequences.size(); ++i) characters[i] = OneCharacter(converter, sequences[i]);
  iconv_close(converter);
  return characters;
}

}  // namespace trovex::platform

#endif

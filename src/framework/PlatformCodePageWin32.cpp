// Code page conversion on Windows, through the system's own tables.
#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Platform.hpp"

namespace trovex::platform {

namespace {

// The one character that bytes convert to, or kNoCharacter. Invalid
// sequences fail instead of giving a substitute.
char32_t OneCharacter(unsigned page, const std::string& bytes) {
  wchar_t wide[4];
  const int length =
      MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide, 4);
  if (length == 1) return wide[0] >= 0xD800 && wide[0] < 0xE000 ? kNoCharacter : char32_t{wide[0]};
  if (length == 2 && wide[0] >= 0xD800 && wide[0] < 0xDC00 && wide[1] >= 0xDC00 && wide[1] < 0xE000) {
    return 0x10000 + ((char32_t{wide[0]} - 0xD800) << 10) + (char32_t{wide[1]} - 0xDC00);
  }
  return kNoCharacter;
}

}  // namespace

std::vector<char32_t> CodePageCharacters(unsigned page, const std::vector<std::string>& sequences) {
  std::vector<char32_t> characters(sequences.size(), kNoCharacter);
  if (!IsValidCodePage(page)) return characters;
  for (std::size_t i = 0; i < sequences.size(); ++i) characters[i] = OneCharacter(page, sequences[i]);
  return characters;
}

}  // namespace trovex::platform

#endif

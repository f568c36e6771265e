// What a run makes of string tables: the text form they go out in and, for
// PO files, the code page, the language and earlier translations to offer.
#pragma once

#include <string>

#include "framework/CodePage.hpp"

namespace trovex {

enum class TextForm { Dump, Po };

struct TalkChoices {
  TextForm form = TextForm::Dump;
  unsigned codePage = kDefaultCodePage;
  std::string language;  // the PO header's Language, may be empty
  // An earlier translated table whose strings fill the msgstr fields, and
  // the table it was translated from (both optional).
  std::string translation;
  std::string translationSource;
};

}  // namespace trovex

// What a string table's strings look like in a PO file, shared by extraction
// and replay: the text shown for a string, PO quoting, and tokens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/CodePage.hpp"

namespace trovex {

// The PO header field that names the table's code page.
inline constexpr std::string_view kCodePageField = "X-Trovex-Code-Page";

// The UTF-8 text a PO file shows for a string's text (its bytes up to the
// first NUL): converted from the page, every CR LF, lone CR and lone LF one
// "\n".
std::string ShownText(std::string_view text, const TCodePage& page);

// Appends keyword + " " + text quoted as PO writes it, and a line end. Text
// holding line breaks before its end goes on continuation lines, one line of
// the text each, behind keyword + ' ""'.
void AppendPoString(std::string& out, std::string_view keyword, std::string_view text);

// The tokens of a text ("<" + at least one character + the next ">"), sorted,
// each once.
std::vector<std::string_view> TokensOf(std::string_view text);

// text with the leading and trailing line breaks of model in place of its
// own, as a filled msgstr must have its msgid's.
std::string WithBreaksOf(std::string_view text, std::string_view model);

}  // namespace trovex

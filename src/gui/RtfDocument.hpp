// The results pane saved to a file: as a rich-text document or as plain text.
#pragma once

#include <string>
#include <vector>

namespace trovex {

// An RTF document holding each line as one paragraph. Text that is valid in
// the locale's encoding is written as Unicode escapes, so a word processor
// shows the characters the pane shows; a line that is not is written byte for
// byte as hexadecimal escapes, so nothing of it is lost.
std::string RtfDocument(const std::vector<std::string>& lines);

// The lines as they stand, each followed by CR LF.
std::string PlainTextDocument(const std::vector<std::string>& lines);

// What Save results writes to path: the RTF document when the file name ends
// in ".rtf" (in any case), the plain text otherwise.
std::string SavedResultsDocument(const std::string& path, const std::vector<std::string>& lines);

}  // namespace trovex

// The results pane saved as a rich-text document.
#pragma once

#include <string>
#include <vector>

namespace trovex {

// An RTF document holding each line as one paragraph. Text that is valid in
// the locale's encoding is written as Unicode escapes, so a word processor
// shows the characters the pane shows; a line that is not is written byte for
// byte as hexadecimal escapes, so nothing of it is lost.
std::string RtfDocument(const std::vector<std::string>& lines);

}  // namespace trovex

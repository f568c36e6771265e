// String tables as gettext PO files: one entry per string that holds text,
// its msgctxt the string's index, its msgid the string in UTF-8.
#pragma once

#include <cstddef>
#include <string>

#include "run/RunState.hpp"

namespace trovex {

// The job log's target line of a PO file: "#Target PO: " + its path.
inline constexpr std::string_view kPoTargetKeyword = "#Target PO:";

// Writes the table at path as OutputDir/<name>.po, in the code page, language
// and with the earlier translations of run.Talk, and appends its target line.
void ExtractTalkPo(RunState& run, const std::string& path);

// Rebuilds the table open as run.SourceArchive at targetPath from the PO
// file poPath (named by the target line at startIndex) and returns the index
// after that line.
std::size_t InsertTalkPo(RunState& run, const std::string& targetPath, const std::string& poPath,
                         std::size_t startIndex);

}  // namespace trovex

// TALK string tables: dump to editable text (format code 6) and rebuild from it.
#pragma once

#include <cstddef>
#include <string>

#include "run/RunState.hpp"

namespace trovex {

// Writes the text dump of the table at path as OutputDir/<name>.txt and
// appends its "#Target: " line to the job log. A table whose entry table or
// string data does not fit its file is refused before anything is written.
void ExtractTalk(RunState& run, const std::string& path);

// Rebuilds the table open as run.SourceArchive at targetPath from the dump
// named by the "#Target: " line at startIndex, and returns the index after
// that line. Nothing is written when the dump's identifiers do not match the
// entries ("Error in line: N" is shown), when the dump ends early or the
// source is malformed (both end the run), or on a stop. Without a "#Target: "
// line at startIndex it reports so and consumes nothing.
std::size_t InsertTalk(RunState& run, const std::string& targetPath, std::size_t startIndex);

}  // namespace trovex

// Movie sound tracks through the movie codec library (format code 5): the
// track out to a ".wav" file, and the edited file back into the movie.
#pragma once

#include <cstddef>
#include <string>

#include "run/RunState.hpp"

namespace trovex {

void ExtractMovieSound(RunState& run, const std::string& path);
std::size_t InsertMovieSound(RunState& run, const std::string& targetPath, std::size_t line);

// Where the handlers look for the library: extraction by file name through
// the library search, insertion at the absolute path fixed by the build.
std::string MovieLibraryName();
std::string MovieLibraryPath();

}  // namespace trovex

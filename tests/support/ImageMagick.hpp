// ImageMagick's identify and convert, run as outside checkers of bitmaps.
#pragma once

#include <string>
#include <vector>

#include "support/Process.hpp"

namespace trovex::test {

// "width height class" as identify reports them: class is PseudoClass for a
// palettised bitmap and DirectClass for a true-colour one.
inline std::string Identify(const std::string& path) {
  return RunProcess({"/usr/bin/env", "identify", "-format", "%w %h %r", path}).out;
}

// Runs convert with the arguments; true when it succeeded.
inline bool Convert(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"/usr/bin/env", "convert"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv).status == 0;
}

}  // namespace trovex::test

// Files of the same name in the input list: a run names its outputs after
// its inputs, so it refuses each such file after the first. Add says so at
// once.
#pragma once

#include <string>
#include <vector>

namespace trovex {

// The message for chosen files whose name (as the system compares names) is
// the name of an entry listed before them or of a chosen file before them;
// empty when there are none.
std::string SameNameWarning(const std::vector<std::string>& listed, const std::vector<std::string>& chosen);

}  // namespace trovex

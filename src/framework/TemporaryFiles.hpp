// The temporary names under which files are written beside their final path
// before being renamed over it, and the removal of those that killed
// processes left. Shared by the program's safe output and by the movie codec
// library, which compiles this file in, so that both name their temporaries
// alike and either one tidies up after both.
#pragma once

#include <string>

namespace trovex {

// A fresh temporary name beside the final file: ".<name>.part-<process>-<n>".
// The process is asked each time, so that a forked child names its
// temporaries as its own and they are known as stale once it dies.
std::string TemporaryName(const std::string& finalPath);

// Calls attempt(name, nameTaken) with fresh temporary names while the name
// is taken; false when it fails otherwise or no name is free.
template <class Attempt>
bool WithTemporaryName(const std::string& finalPath, std::string& tempPath, Attempt attempt) {
  for (int tries = 0; tries < 100; ++tries) {
    tempPath = TemporaryName(finalPath);
    bool nameTaken = false;
    if (attempt(tempPath, nameTaken)) return true;
    if (!nameTaken) return false;
  }
  return false;
}

// Removes the temporaries beside finalPath that processes which no longer
// run left behind.
void RemoveStaleTemporaries(const std::string& finalPath);

}  // namespace trovex

#include "app/SameNames.hpp"

#include <map>

#include "framework/Paths.hpp"

namespace trovex {

std::string SameNameWarning(const std::vector<std::string>& listed, const std::vector<std::string>& chosen) {
  std::map<std::string, std::string> firstOfName;
  for (const std::string& path : listed) firstOfName.emplace(PathKey(FileNamePart(path)), path);
  std::string lines;
  for (const std::string& path : chosen) {
    const auto [first, isNew] = firstOfName.emplace(PathKey(FileNamePart(path)), path);
    if (!isNew) lines += "\n" + path + " (the same name as " + first->second + ")";
  }
  if (lines.empty()) return lines;
  return "The list holds files of the same name. A run names its outputs after its inputs, so it refuses each "
         "of these:" +
         lines;
}

}  // namespace trovex

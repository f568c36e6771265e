#include "framework/TemporaryFiles.hpp"

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "framework/Paths.hpp"
#include "framework/Platform.hpp"

namespace trovex {

namespace {

std::atomic<unsigned> temporaryCounter{0};

// The start of the temporary names beside finalPath: ".<name>.part-".
std::string TemporaryPrefix(const std::string& finalPath) {
  std::string prefix = ".";
  prefix += FileNamePart(finalPath);
  prefix += ".part-";
  return prefix;
}

}  // namespace

std::string TemporaryName(const std::string& finalPath) {
  return JoinPath(DirectoryPart(finalPath), TemporaryPrefix(finalPath) + std::to_string(platform::ProcessId()) + "-" +
                                                std::to_string(temporaryCounter++));
}

void RemoveStaleTemporaries(const std::string& finalPath) {
  const std::string prefix = TemporaryPrefix(finalPath);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(DirectoryPart(finalPath), error)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && !platform::ProcessRunning(static_cast<unsigned long>(pid))) {
      platform::RemoveFile(JoinPath(DirectoryPart(finalPath), name));
    }
  }
}

}  // namespace trovex

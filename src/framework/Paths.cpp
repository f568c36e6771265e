#include "framework/Paths.hpp"

#include <algorithm>

#include "framework/Platform.hpp"

namespace trovex {

namespace {

#ifdef _WIN32
// Windows also takes "/" between folders, and ":" ends a drive.
constexpr const char* kSeparators = "\\/:";
constexpr const char* kFolderSeparators = "\\/";
#else
constexpr const char* kSeparators = "/";
constexpr const char* kFolderSeparators = "/";
#endif

}  // namespace

std::string JoinPath(const std::string& dir, const std::string& name) { return dir + PathSeparator + name; }

std::string FileNamePart(const std::string& path) {
  const auto slash = path.find_last_of(kSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirectoryPart(const std::string& path) {
  const auto slash = path.find_last_of(kFolderSeparators);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return std::string(1, PathSeparator);
  return path.substr(0, slash);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const auto slash = path.find_last_of(kSeparators);
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string AbsolutePath(const std::string& path) { return platform::FullPath(path); }

std::string PathKey(const std::string& path) {
  std::string key = platform::NameCompareKey(path);
  // Windows reads "/" between folders as its own separator.
  if (PathSeparator != '/') std::replace(key.begin(), key.end(), '/', PathSeparator);
  return key;
}

bool PathExists(const std::string& path) { return platform::Exists(path); }

bool IsDirectory(const std::string& path) { return platform::StatusOf(path).directory; }

bool IsRegularFile(const std::string& path) { return platform::StatusOf(path).regular; }

bool ForceDirectories(const std::string& path) {
  if (path.empty() || IsDirectory(path)) return !path.empty();
  const std::string parent = DirectoryPart(path);
  if (parent != path && parent != "." && !ForceDirectories(parent)) return false;
  return platform::MakeDirectory(path) || IsDirectory(path);
}

bool DeleteFile(const std::string& path) { return platform::RemoveFile(path); }

std::string CurrentDirectory() { return platform::CurrentDirectory(); }

bool SetCurrentDirectory(const std::string& path) { return platform::ChangeDirectory(path); }

}  // namespace trovex

#include "framework/Paths.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace trovex {

std::string JoinPath(const std::string& dir, const std::string& name) { return dir + PathSeparator + name; }

std::string FileNamePart(const std::string& path) {
  const auto slash = path.find_last_of(PathSeparator);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirectoryPart(const std::string& path) {
  const auto slash = path.find_last_of(PathSeparator);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return std::string(1, PathSeparator);
  return path.substr(0, slash);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const auto slash = path.find_last_of(PathSeparator);
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  std::string text = absolute.lexically_normal().string();
  while (text.size() > 1 && text.back() == PathSeparator) text.pop_back();
  return text;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool ForceDirectories(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return IsDirectory(path);
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string CurrentDirectory() {
  std::error_code error;
  auto dir = std::filesystem::current_path(error);
  return error ? std::string(".") : dir.string();
}

bool SetCurrentDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

}  // namespace trovex

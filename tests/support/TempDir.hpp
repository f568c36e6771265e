// A private directory for one test, removed with everything in it afterwards.
#pragma once

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/Paths.hpp"
#include "framework/Platform.hpp"

namespace trovex::test {

// A relative path written with "/" in the native form.
inline std::string NativePath(std::string path) {
  std::replace(path.begin(), path.end(), '/', PathSeparator);
  return path;
}

class TempDir {
 public:
  TempDir() {
    static std::atomic<unsigned> counter{0};
    std::string base = std::filesystem::temp_directory_path().string();
    while (base.size() > 1 && (base.back() == '/' || base.back() == PathSeparator)) base.pop_back();
    const std::string stem = "trovex-test-" + std::to_string(platform::ProcessId()) + "-";
    do {
      path_ = JoinPath(base, stem + std::to_string(counter++));
    } while (!platform::MakeDirectory(path_) && platform::Exists(path_));
  }
  ~TempDir() {
    // Windows deletes no read-only file, so tests' read-only files are made
    // writable first.
    std::error_code error;
    namespace fs = std::filesystem;
    for (fs::recursive_directory_iterator it(path_, error), end; !error && it != end; it.increment(error)) {
      fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, error);
    }
    error.clear();
    std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // A path below the directory; "/" in name becomes the native separator.
  std::string operator/(const std::string& name) const { return JoinPath(path_, NativePath(name)); }

 private:
  std::string path_;
};

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Read-only for everyone: mode 0444 on POSIX, the read-only attribute on Windows.
inline void MakeReadOnly(const std::string& path) {
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

#ifndef _WIN32
inline bool MakeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0644) == 0; }
#endif

// Names of the entries of a directory, sorted.
inline std::vector<std::string> ListDirectory(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace trovex::test

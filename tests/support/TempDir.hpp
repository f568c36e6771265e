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

#include "framework/FaultInjection.hpp"
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
  TempDir() : TempDir(std::filesystem::temp_directory_path().string()) {}
  // A directory below base instead of the system's temporary folder.
  explicit TempDir(std::string base) {
    static std::atomic<unsigned> counter{0};
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

// A folder on another file system than TempDir's, where copies between the
// two cannot be made by the kernel directly: the memory file system of Linux
// when it is there; empty when there is none.
inline std::string OtherFileSystemBase() {
#ifdef _WIN32
  return "";
#else
  const platform::FileStatus shm = platform::StatusOf("/dev/shm");
  const platform::FileStatus temp = platform::StatusOf(std::filesystem::temp_directory_path().string());
  if (!shm.directory || !temp.exists || shm.id.volume == temp.id.volume) return "";
  return "/dev/shm";
#endif
}

// While it lives, the file layer copies through its own buffer, as where the
// kernel refuses to copy between two files.
struct KernelCopyRefusal {
  KernelCopyRefusal() { faults::RefuseKernelCopy(true); }
  ~KernelCopyRefusal() { faults::RefuseKernelCopy(false); }
  KernelCopyRefusal(const KernelCopyRefusal&) = delete;
  KernelCopyRefusal& operator=(const KernelCopyRefusal&) = delete;
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

// A file written beside its final path, without a name or under a temporary
// one, and given the final name only when complete, so a failure or a kill
// leaves the old file as it was.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Platform.hpp"

namespace mve {

class OutputFile {
 public:
  explicit OutputFile(const std::string& finalPath);
  ~OutputFile();  // removes the unfinished file unless Commit ran
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes count bytes at offset, over what the file holds there; false
  // when the system fails.
  bool TryWriteAt(std::int64_t offset, const void* bytes, std::size_t count);
  bool Truncate(std::int64_t size);
  // Writes past the system's cache, or through it again (see
  // trovex::platform::BypassCache); false where that cannot be.
  bool BypassCache(bool bypass);
  // Gives the file the old file's permissions (or the usual ones for a new
  // file) and renames it over the final path.
  void Commit();

 private:
  bool Name();

  std::string finalPath_;
  std::string tempPath_;
  trovex::platform::FileHandle file_ = trovex::platform::kNoFile;
  bool unnamed_ = false;     // written without a name until Commit
  bool finalNamed_ = false;  // an unnamed file that took the final name at once
  bool committed_ = false;
};

}  // namespace mve

// A file without a name that holds bytes for a library that reads files by
// path only. It vanishes when closed, and with the process if that is killed.
#pragma once

#include <string>
#include <string_view>

#include "framework/Platform.hpp"

namespace trovex {

class TScratchFile {
 public:
  // In the folder dir, else in the system's temporary folder; "Cannot create
  // file" with dir where the system offers neither.
  explicit TScratchFile(const std::string& dir);
  ~TScratchFile();
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;

  // Makes bytes the file's whole content.
  void Hold(std::string_view bytes);
  const std::string& Path() const { return path_; }

 private:
  platform::FileHandle file_ = platform::kNoFile;
  std::string path_;
};

}  // namespace trovex

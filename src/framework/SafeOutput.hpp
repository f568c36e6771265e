// Output files created safely: written without a name (or under a temporary
// name) in the target's folder and given the final name only when complete,
// so that a failure or a stop never leaves a partial file and an earlier file
// stays as it was.
#pragma once

#include <cstdint>
#include <string>

#include "framework/FileStream.hpp"

namespace trovex {

enum class OutputKind {
  // A new file. Fails with "Cannot create file %s" when the final path is a
  // file this process has open (the same device and inode, however spelled).
  NewFile,
  // The new content of a file changed in place: the final path may be open.
  Replacement,
};

class TSafeOutput : public TFileStream {
 public:
  explicit TSafeOutput(const std::string& finalPath, OutputKind kind = OutputKind::NewFile);
  // Removes the unfinished file unless Commit ran.
  ~TSafeOutput() override;

  // Closes the file and gives it its final name.
  void Commit();
  // Checks, before a large write, that the file system can take bytes more:
  // "Cannot write to <path>: it needs N bytes, the file system has M free".
  void RequireSpace(std::uint64_t bytes) const;
  const std::string& FinalPath() const { return finalPath_; }

 private:
  std::string finalPath_;
  std::string tempPath_;
  bool unnamed_ = false;  // written without a name until Commit
  bool committed_ = false;
};

// Writes a whole buffer as a file through safe output creation.
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace trovex

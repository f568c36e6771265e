#include "framework/SafeOutput.hpp"

#include <atomic>
#include <string>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"

namespace trovex {

namespace {

std::atomic<unsigned> temporaryCounter{0};
const std::string kProcessId = std::to_string(platform::ProcessId());

// A fresh temporary name beside the final file: named after it, the process
// and a counter.
std::string TemporaryName(const std::string& finalPath) {
  return JoinPath(DirectoryPart(finalPath), "." + FileNamePart(finalPath) + ".part-" + kProcessId + "-" +
                                                std::to_string(temporaryCounter++));
}

// Calls attempt(name, nameTaken) with fresh temporary names while the name
// is taken.
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

}  // namespace

TSafeOutput::TSafeOutput(const std::string& finalPath, OutputKind kind) : finalPath_(finalPath) {
  const platform::FileStatus existing = platform::StatusOf(finalPath);
  if (existing.directory) throw EFCreateError(finalPath);
  if (existing.exists && kind == OutputKind::NewFile && IsOpenInProcess(existing.id)) throw EFCreateError(finalPath);
  // A new file is written without any name and linked in when complete: one
  // step fewer in the folder than a temporary name renamed over.
  platform::FileHandle file = existing.exists ? platform::kNoFile : platform::CreateUnnamed(DirectoryPart(finalPath));
  unnamed_ = file != platform::kNoFile;
  if (!unnamed_) {
    const bool created = WithTemporaryName(finalPath, tempPath_, [&file](const std::string& name, bool& nameTaken) {
      file = platform::CreateNew(name, nameTaken);
      return file != platform::kNoFile;
    });
    if (!created) throw EFCreateError(finalPath);
    // A replaced file keeps its permissions.
    if (existing.exists) platform::SetPermissions(file, existing.permissions);
  }
  Adopt(finalPath, file);
}

TSafeOutput::~TSafeOutput() {
  if (committed_) return;
  CloseHandle();
  if (!unnamed_) platform::RemoveFile(tempPath_);
}

void TSafeOutput::Commit() {
  if (committed_) return;
  committed_ = true;
  if (unnamed_) {
    if (platform::NameUnnamed(Handle(), finalPath_)) return CloseHandle();
    // The final name was taken meanwhile: the file takes a temporary name and
    // is renamed over it like a replacement.
    const bool named = WithTemporaryName(finalPath_, tempPath_, [this](const std::string& name, bool& nameTaken) {
      const bool linked = platform::NameUnnamed(Handle(), name);
      nameTaken = !linked && platform::Exists(name);
      return linked;
    });
    CloseHandle();
    if (!named) throw EFCreateError(finalPath_);
  }
  CloseHandle();
  if (!platform::MoveOver(tempPath_, finalPath_)) {
    platform::RemoveFile(tempPath_);
    throw EFCreateError(finalPath_);
  }
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  TSafeOutput out(path);
  out.WriteText(bytes);
  out.Commit();
}

}  // namespace trovex

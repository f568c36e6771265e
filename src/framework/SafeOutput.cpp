#include "framework/SafeOutput.hpp"

#include <string>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/TemporaryFiles.hpp"

namespace trovex {

TSafeOutput::TSafeOutput(const std::string& finalPath, OutputKind kind) : finalPath_(finalPath) {
  const platform::FileStatus existing = platform::StatusOf(finalPath);
  if (existing.directory) throw EFCreateError(finalPath);
  if (existing.exists && kind == OutputKind::NewFile && IsOpenInProcess(existing.id)) {
    throw EOutputIsInputError(finalPath);
  }
  if (kind == OutputKind::Replacement) RemoveStaleTemporaries(finalPath);
  // The file is written without any name where the system offers that: a
  // new one is linked in when complete, a replacement is given a temporary
  // name then and renamed over the old file. A process killed meanwhile
  // leaves nothing behind. Elsewhere it is written under a temporary name.
  platform::FileHandle file = platform::CreateUnnamed(DirectoryPart(finalPath));
  unnamed_ = file != platform::kNoFile;
  if (!unnamed_) {
    const bool created = WithTemporaryName(finalPath, tempPath_, [&file](const std::string& name, bool& nameTaken) {
      file = platform::CreateNew(name, nameTaken);
      return file != platform::kNoFile;
    });
    if (!created) throw EFCreateError(finalPath);
  }
  // A replaced file keeps its permissions.
  if (existing.exists) platform::SetPermissions(file, existing.permissions);
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
    // The final name is taken (a replacement, or a file made meanwhile): the
    // file takes a temporary name and is renamed over it.
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

void TSafeOutput::RequireSpace(std::uint64_t bytes) const {
  const std::int64_t free = platform::FreeSpace(DirectoryPart(finalPath_));
  if (free < 0 || bytes <= static_cast<std::uint64_t>(free)) return;  // nothing known: the writes will tell
  throw EStreamError(Format("Cannot write to %s: it needs %llu bytes, the file system has %llu free",
                            finalPath_.c_str(), static_cast<unsigned long long>(bytes),
                            static_cast<unsigned long long>(free)));
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  TSafeOutput out(path);
  out.WriteText(bytes);
  out.Commit();
}

}  // namespace trovex

#include "framework/SafeOutput.hpp"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"

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

// A fresh temporary name beside the final file: named after it, the process
// and a counter. The process is asked each time, so that a forked child
// names its temporaries as its own and they are known as stale once it dies.
std::string TemporaryName(const std::string& finalPath) {
  return JoinPath(DirectoryPart(finalPath), TemporaryPrefix(finalPath) + std::to_string(platform::ProcessId()) + "-" +
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

// Removes the temporaries that killed processes left beside finalPath: the
// names TemporaryName gives, of a process that no longer runs.
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

}  // namespace

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

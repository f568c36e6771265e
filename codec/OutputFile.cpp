#include "OutputFile.hpp"

#include "MveFormat.hpp"
#include "framework/Paths.hpp"
#include "framework/Platform.hpp"
#include "framework/TemporaryFiles.hpp"

namespace mve {

namespace {

namespace platform = trovex::platform;

// Writes count bytes at offset, as many calls as that takes.
bool WriteAll(platform::FileHandle file, const char* bytes, std::size_t count, std::int64_t offset) {
  while (count > 0) {
    const std::int64_t done = platform::WriteAt(file, bytes, count, offset);
    if (done <= 0) return false;
    bytes += done;
    offset += done;
    count -= static_cast<std::size_t>(done);
  }
  return true;
}

}  // namespace

// Written without a name where the system offers that, so that a process
// killed meanwhile leaves nothing behind; elsewhere under a temporary name
// that the next output beside the same final path removes once this
// process is gone.
OutputFile::OutputFile(const std::string& finalPath) : finalPath_(finalPath) {
  trovex::RemoveStaleTemporaries(finalPath);
  platform::FileHandle file = platform::CreateUnnamed(trovex::DirectoryPart(finalPath));
  unnamed_ = file != platform::kNoFile;
  const bool created =
      unnamed_ || trovex::WithTemporaryName(finalPath, tempPath_, [&file](const std::string& name, bool& nameTaken) {
        file = platform::CreateNew(name, nameTaken);
        return file != platform::kNoFile;
      });
  if (!created) throw MovieError("Cannot create file " + finalPath);
  file_ = file;
}

OutputFile::~OutputFile() {
  if (committed_) return;
  platform::CloseFile(file_);
  if (!unnamed_) platform::RemoveFile(tempPath_);
}

bool OutputFile::TryWriteAt(std::int64_t offset, const void* bytes, std::size_t count) {
  return WriteAll(file_, static_cast<const char*>(bytes), count, offset);
}

bool OutputFile::Truncate(std::int64_t size) { return platform::Truncate(file_, size); }

bool OutputFile::BypassCache(bool bypass) { return platform::BypassCache(file_, bypass); }

// A file without a name takes the final one when that is free; otherwise
// (the movie it replaces) a temporary name, and is renamed over.
bool OutputFile::Name() {
  if (!unnamed_) return true;
  if (platform::NameUnnamed(file_, finalPath_)) {
    finalNamed_ = true;
    return true;
  }
  return trovex::WithTemporaryName(finalPath_, tempPath_, [this](const std::string& name, bool& nameTaken) {
    const bool linked = platform::NameUnnamed(file_, name);
    nameTaken = !linked && platform::Exists(name);
    return linked;
  });
}

void OutputFile::Commit() {
  // A new file was created with the usual permissions already.
  const platform::FileStatus old = platform::StatusOf(finalPath_);
  const bool named = (!old.exists || platform::SetPermissions(file_, old.permissions)) && Name();
  committed_ = true;
  const bool closed = platform::CloseFile(file_);
  if (named && finalNamed_) return;
  if (!named || !closed || !platform::MoveOver(tempPath_, finalPath_)) {
    if (!tempPath_.empty()) platform::RemoveFile(tempPath_);
    throw MovieError("Cannot write file " + finalPath_);
  }
}

}  // namespace mve

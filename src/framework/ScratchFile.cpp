#include "framework/ScratchFile.hpp"

#include <filesystem>
#include <system_error>

#include "framework/Errors.hpp"

namespace trovex {

TScratchFile::TScratchFile(const std::string& dir) {
  file_ = platform::CreateUnnamed(dir);
  if (file_ == platform::kNoFile) {
    std::error_code error;
    const std::string temp = std::filesystem::temp_directory_path(error).string();
    if (!error) file_ = platform::CreateUnnamed(temp);
  }
  if (file_ != platform::kNoFile) path_ = platform::PathOfOpenFile(file_);
  if (path_.empty()) {
    platform::CloseFile(file_);
    file_ = platform::kNoFile;
    throw EFCreateError(dir);
  }
}

TScratchFile::~TScratchFile() { platform::CloseFile(file_); }

void TScratchFile::Hold(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::int64_t wrote = platform::WriteAt(file_, bytes.data() + done, bytes.size() - done,
                                                 static_cast<std::int64_t>(done));
    if (wrote <= 0) throw EWriteError();
    done += static_cast<std::size_t>(wrote);
  }
  if (!platform::Truncate(file_, static_cast<std::int64_t>(bytes.size()))) throw EWriteError();
}

}  // namespace trovex

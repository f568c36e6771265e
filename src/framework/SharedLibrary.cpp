#include "framework/SharedLibrary.hpp"

#include "framework/Platform.hpp"

namespace trovex {

TSharedLibrary::TSharedLibrary(const std::string& path) { handle_ = platform::OpenLibrary(path, loadError_); }

TSharedLibrary::~TSharedLibrary() {
  if (handle_ != nullptr) platform::CloseLibrary(handle_);
}

void* TSharedLibrary::Symbol(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return platform::LibraryExport(handle_, name);
}

std::string SharedLibraryFileName(const std::string& name) { return platform::LibraryFileName(name); }

}  // namespace trovex

#include "framework/SharedLibrary.hpp"

#include <dlfcn.h>

namespace trovex {

TSharedLibrary::TSharedLibrary(const std::string& path) {
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* error = ::dlerror();
    loadError_ = error != nullptr ? error : "unknown loader failure";
  }
}

TSharedLibrary::~TSharedLibrary() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

void* TSharedLibrary::Symbol(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return ::dlsym(handle_, name.c_str());
}

std::string SharedLibraryFileName(const std::string& name) { return "lib" + name + ".so"; }

}  // namespace trovex

// A shared library loaded at run time, released when the object goes. The
// interface says nothing of the platform's loader.
#pragma once

#include <string>

namespace trovex {

class TSharedLibrary {
 public:
  // Loads the library at path. A bare file name is looked for through the
  // platform's library search. A failure is kept, not raised: see Loaded.
  explicit TSharedLibrary(const std::string& path);
  ~TSharedLibrary();
  TSharedLibrary(const TSharedLibrary&) = delete;
  TSharedLibrary& operator=(const TSharedLibrary&) = delete;

  bool Loaded() const { return handle_ != nullptr; }
  // The loader's explanation of a failed load.
  const std::string& LoadError() const { return loadError_; }
  // The address of an export, or a null pointer when the library lacks it.
  void* Symbol(const std::string& name) const;
  template <typename Function>
  Function Export(const std::string& name) const {
    return reinterpret_cast<Function>(Symbol(name));
  }

 private:
  void* handle_ = nullptr;
  std::string loadError_;
};

// The platform's file name for a library called name ("libNAME.so" on
// POSIX systems, "libNAME.dll" on Windows, as mingw-w64 names them).
std::string SharedLibraryFileName(const std::string& name);

}  // namespace trovex

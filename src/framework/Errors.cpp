#include "framework/Errors.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace trovex {

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, fmt, args);
  va_end(args);
  return text;
}

EFOpenError::EFOpenError(const std::string& path) : EStreamError("Cannot open file " + path) {}

EFOpenError::EFOpenError(const std::string& path, int error)
    : EStreamError("Cannot open file " + path + ": " + std::strerror(error)) {}

EOutputIsInputError::EOutputIsInputError(const std::string& path)
    : EFCreateError(WholeMessage{}, "Cannot write " + path + ": it is the file being read; choose another output folder.") {}

EFCreateError::EFCreateError(const std::string& path) : EStreamError("Cannot create file " + path) {}

EReadError::EReadError() : EStreamError("Stream read error") {}

EReadError::EReadError(const std::string& path, int error)
    : EStreamError("Cannot read from " + path + ": " + std::strerror(error)) {}

EWriteError::EWriteError() : EStreamError("Stream write error") {}

EWriteError::EWriteError(const std::string& path, int error)
    : EStreamError("Cannot write to " + path + ": " + std::strerror(error)) {}

EListError::EListError(long long index) : Exception(Format("List index out of bounds (%lld)", index)) {}

}  // namespace trovex

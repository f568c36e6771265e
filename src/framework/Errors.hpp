// The program's error classes. Every failure is raised as an exception that
// carries its message; the run ends where it is caught and the message is shown.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

// The printf dialect of the C library's vsnprintf: on Windows mingw-w64's
// own, which knows the C99 formats.
#ifdef __MINGW_PRINTF_FORMAT
#define TROVEX_PRINTF_DIALECT __MINGW_PRINTF_FORMAT
#else
#define TROVEX_PRINTF_DIALECT printf
#endif

namespace trovex {

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(TROVEX_PRINTF_DIALECT, 1, 2)));

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

// "Cannot open file %s"; with the system's reason when it gave one ("Cannot
// open file <path>: No such file or directory").
class EFOpenError : public EStreamError {
 public:
  explicit EFOpenError(const std::string& path);
  EFOpenError(const std::string& path, int error);
};

// "Cannot create file %s"
class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(const std::string& path);

 protected:
  struct WholeMessage {};
  EFCreateError(WholeMessage, const std::string& message) : EStreamError(message) {}
};

// "Stream read error"; when the system refuses a read of a file, "Cannot
// read from <path>: <the system's reason>".
class EReadError : public EStreamError {
 public:
  EReadError();
  EReadError(const std::string& path, int error);
};

// "Stream write error"; when the system refuses a write to a file, "Cannot
// write to <path>: <the system's reason>" ("No space left on device").
class EWriteError : public EStreamError {
 public:
  EWriteError();
  EWriteError(const std::string& path, int error);
};

// An output that is the very file being read (the replay of a job log into
// the game's own folder): "Cannot write <path>: it is the file being read;
// choose another output folder."
class EOutputIsInputError : public EFCreateError {
 public:
  explicit EOutputIsInputError(const std::string& path);
};

// "List index out of bounds (%d)"
class EListError : public Exception {
 public:
  explicit EListError(long long index);
};

// A text that should hold a number does not.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A game file that does not have the layout its format requires. The message
// names the file and the fault.
class EFormatError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace trovex

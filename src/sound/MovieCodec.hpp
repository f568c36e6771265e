// The movie codec library, loaded for one movie and released after it. Its
// four exports are required; "LastError" and "LastNote" are used when the
// library has them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "framework/SharedLibrary.hpp"
#include "run/RunState.hpp"

namespace trovex {

class TMovieCodec {
 public:
  // Loads the library from where; Problem tells whether it can be used.
  explicit TMovieCodec(const std::string& where);

  // Why the library cannot be used (it did not load, or lacks an export),
  // naming where it was looked for; nothing when it can.
  const std::optional<std::string>& Problem() const { return problem_; }

  // One sequence InitCodec, ExtractSound or InsertSound, CloseCodec. Returns
  // the library's message when it reports a failure.
  std::optional<std::string> Extract(RunState& run, const std::string& moviePath, const std::string& wavePath);
  std::optional<std::string> Insert(RunState& run, const std::string& wavePath, const std::string& moviePath);
  // The library's note on the last sequence that succeeded, when it gave one.
  const std::optional<std::string>& Note() const { return note_; }

 private:
  using InitFunction = void(TROVEX_LIBRARY_CALL*)(LibraryProgressRoutine, void*);
  using WorkFunction = void(TROVEX_LIBRARY_CALL*)(const char*, const char*);
  using CloseFunction = void(TROVEX_LIBRARY_CALL*)();
  using MessageFunction = const char*(TROVEX_LIBRARY_CALL*)();

  std::optional<std::string> Run(RunState& run, WorkFunction work, const std::string& source,
                                 const std::string& target);

  TSharedLibrary library_;
  std::optional<std::string> problem_;
  InitFunction init_ = nullptr;
  WorkFunction extract_ = nullptr;
  WorkFunction insert_ = nullptr;
  CloseFunction close_ = nullptr;
  MessageFunction lastError_ = nullptr;
  MessageFunction lastNote_ = nullptr;
  std::optional<std::string> note_;
};

}  // namespace trovex

#include "sound/MovieCodec.hpp"

namespace trovex {

TMovieCodec::TMovieCodec(const std::string& where) : library_(where) {
  if (!library_.Loaded()) {
    problem_ = "Cannot load the movie codec library " + where + ": " + library_.LoadError();
    return;
  }
  init_ = library_.Export<InitFunction>("InitCodec");
  extract_ = library_.Export<WorkFunction>("ExtractSound");
  insert_ = library_.Export<WorkFunction>("InsertSound");
  close_ = library_.Export<CloseFunction>("CloseCodec");
  lastError_ = library_.Export<MessageFunction>("LastError");
  lastNote_ = library_.Export<MessageFunction>("LastNote");
  for (const auto& [name, found] : {std::pair{"InitCodec", init_ != nullptr}, {"ExtractSound", extract_ != nullptr},
                                    {"InsertSound", insert_ != nullptr}, {"CloseCodec", close_ != nullptr}}) {
    if (!found) {
      problem_ = "The movie codec library " + where + " lacks the export \"" + name + "\"";
      return;
    }
  }
}

std::optional<std::string> TMovieCodec::Run(RunState& run, WorkFunction work, const std::string& source,
                                            const std::string& target) {
  init_(run.ProgressRoutine, run.ProgressContext);
  work(source.c_str(), target.c_str());
  std::optional<std::string> failure;
  note_.reset();
  if (lastError_ != nullptr) {
    if (const char* message = lastError_()) failure = message;
  }
  if (lastNote_ != nullptr && !failure) {
    if (const char* message = lastNote_()) note_ = message;
  }
  close_();
  return failure;
}

std::optional<std::string> TMovieCodec::Extract(RunState& run, const std::string& moviePath,
                                                const std::string& wavePath) {
  return Run(run, extract_, moviePath, wavePath);
}

std::optional<std::string> TMovieCodec::Insert(RunState& run, const std::string& wavePath,
                                               const std::string& moviePath) {
  return Run(run, insert_, wavePath, moviePath);
}

}  // namespace trovex

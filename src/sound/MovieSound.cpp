#include "sound/MovieSound.hpp"

#include "framework/Paths.hpp"
#include "sound/MovieCodec.hpp"

namespace trovex {

namespace {

constexpr std::string_view kTargetPrefix = "#Target: ";

#ifdef TROVEX_NO_MOVIE_CODEC
constexpr bool kCodecBuilt = false;
#define TROVEX_MVE_LIBRARY_PATH ""
#else
constexpr bool kCodecBuilt = true;
#endif
constexpr const char* kNotInThisBuild = "Movie sound tracks are not available in this build";

// Sets the label and the bar as the library starts on a movie.
void StartMovie(RunState& run, const std::string& text) {
  run.Message(text);
  run.StartProgress();
  run.Pump();
}

}  // namespace

std::string MovieLibraryName() { return SharedLibraryFileName("mve"); }

std::string MovieLibraryPath() { return TROVEX_MVE_LIBRARY_PATH; }

void ExtractMovieSound(RunState& run, const std::string& path) {
  TMovieCodec codec(MovieLibraryName());
  const std::string name = FileNamePart(path);
  const std::string wavePath = run.OutputPath(ChangeFileExt(name, ".wav"));
  StartMovie(run, "Extracting sound track from " + name + "...");
  if (!kCodecBuilt) return run.Result(kNotInThisBuild);
  if (codec.Problem()) {
    run.Result(*codec.Problem() + " (looked for through the library search path)");
    return;
  }
  if (!run.ClaimOutputs(path, {{wavePath}, {}})) return;
  if (const auto failure = codec.Extract(run, path, wavePath)) {
    run.Result(*failure);
    return;
  }
  run.Result("Sound tarck from " + name + " extracted.");
  run.JobLog.Add(std::string(kTargetPrefix) + wavePath);
}

std::size_t InsertMovieSound(RunState& run, const std::string&, std::size_t line) {
  // The library rewrites the movie, so replay's handle on it goes first.
  run.SourceArchive.reset();
  TMovieCodec codec(MovieLibraryPath());
  const std::string name = FileNamePart(run.SourcePath);
  StartMovie(run, "Inserting sound track to " + name + "...");
  // A group whose extraction logged no target line (the library refused the
  // movie) consumes nothing, so the next group is not lost.
  if (line >= run.ReplayLines.Count() || run.ReplayLines.Get(line).rfind("#Target", 0) != 0) return line;
  const std::string targetLine = run.ReplayLines.Get(line++);
  const std::string wavePath = targetLine.substr(std::min(targetLine.size(), kTargetPrefix.size()));
  if (!kCodecBuilt) {
    run.Result(kNotInThisBuild);
    return line;
  }
  if (!PathExists(wavePath)) return line;
  if (codec.Problem()) {
    run.Result(*codec.Problem());
    return line;
  }
  if (const auto failure = codec.Insert(run, wavePath, run.SourcePath)) {
    run.Result(*failure);
    return line;
  }
  run.Result("Sound tarck from " + name + " inserted.");
  if (codec.Note()) run.Result(*codec.Note());
  return line;
}

}  // namespace trovex

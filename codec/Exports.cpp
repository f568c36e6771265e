// The library's C entry points. Failures never cross them: each is kept as
// the message that LastError returns.
#include <exception>
#include <string>

#include "MveApi.h"
#include "MveFormat.hpp"
#include "SoundTrack.hpp"

namespace {

struct CodecState {
  MveProgressRoutine routine = nullptr;
  void* context = nullptr;
  bool failed = false;
  std::string error;
  std::string note;
};

CodecState state;

template <typename Work>
void Guarded(const char* first, const char* second, Work work) {
  state.failed = false;
  state.note.clear();
  try {
    if (first == nullptr || second == nullptr) throw mve::MovieError("A path is missing");
    mve::Progress progress(state.routine, state.context);
    work(progress);
  } catch (const std::exception& error) {
    state.failed = true;
    state.error = error.what();
  } catch (...) {
    state.failed = true;
    state.error = "Unexpected failure in the movie codec library";
  }
}

}  // namespace

extern "C" {

MVE_EXPORT void MVE_CALL InitCodec(MveProgressRoutine routine, void* context) {
  state = CodecState{routine, context, false, {}, {}};
}

MVE_EXPORT void MVE_CALL ExtractSound(const char* moviePath, const char* wavePath) {
  Guarded(moviePath, wavePath, [&](mve::Progress& progress) { mve::ExtractTrack(moviePath, wavePath, progress); });
}

MVE_EXPORT void MVE_CALL InsertSound(const char* wavePath, const char* moviePath) {
  Guarded(wavePath, moviePath,
          [&](mve::Progress& progress) { state.note = mve::InsertTrack(wavePath, moviePath, progress); });
}

// The failure of the last extraction or insertion stays readable after it.
MVE_EXPORT void MVE_CALL CloseCodec(void) {
  state.routine = nullptr;
  state.context = nullptr;
}

MVE_EXPORT const char* MVE_CALL LastError(void) { return state.failed ? state.error.c_str() : nullptr; }

MVE_EXPORT const char* MVE_CALL LastNote(void) { return state.note.empty() ? nullptr : state.note.c_str(); }

}  // extern "C"

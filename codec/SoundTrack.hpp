// The movie's sound track (audio stream 0) out to a WAVE file, and a WAVE
// file's sound back in.
#pragma once

#include <cstdint>
#include <string>

#include "MveApi.h"

namespace mve {

// Hands the caller's progress routine positions 0..100, each only once.
class Progress {
 public:
  Progress(MveProgressRoutine routine, void* context) : routine_(routine), context_(context) {}
  // Work done of total.
  void Report(std::int64_t done, std::int64_t total);

 private:
  MveProgressRoutine routine_;
  void* context_;
  int last_ = -1;
};

// Writes the track at the movie's own rate and channel count: 8-bit samples
// for raw 8-bit audio, 16-bit otherwise. Silence frames become silence.
void ExtractTrack(const std::string& moviePath, const std::string& wavePath, Progress& progress);

// Replaces the track. Every audio frame keeps its length and place, so every
// other opcode and chunk stays byte for byte as it was; a frame whose samples
// do not change keeps its bytes, and a movie whose track does not change is
// not written at all. Silence frames stay silent: returns a note saying how
// much of the recording's sound fell into them and where, or nothing when
// none did.
std::string InsertTrack(const std::string& wavePath, const std::string& moviePath, Progress& progress);

}  // namespace mve

#include "builders/BiffBuilder.hpp"
#include "builders/MveBuilder.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "sample/Samples.hpp"

namespace trovex::sample {

namespace {

void WriteMovie(const std::string& dir, const std::string& name, const build::MovieShape& shape) {
  WriteWholeFile(JoinPath(dir, name), build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
}

}  // namespace

// Compressed sounds on their own (SOUND01.WAV, SOUND02.WAV) and movies with
// sound tracks of every kind: INTRO.MVE stereo compressed, VOICE.MVE mono
// compressed, MUSIC.MVE stereo 16-bit, CHIME.MVE mono 8-bit.
std::vector<std::string> WriteSoundSamples(const std::string& dir) {
  WriteWholeFile(JoinPath(dir, "SOUND01.WAV"), build::MakeWavc(1500, 1));
  WriteWholeFile(JoinPath(dir, "SOUND02.WAV"), build::MakeWavc(4000, 2));
  build::MovieShape intro;
  intro.channels = 2;
  intro.compressed = true;
  intro.videoFrames = 30;
  WriteMovie(dir, "INTRO.MVE", intro);
  build::MovieShape voice;
  voice.compressed = true;
  WriteMovie(dir, "VOICE.MVE", voice);
  build::MovieShape music;
  music.channels = 2;
  WriteMovie(dir, "MUSIC.MVE", music);
  build::MovieShape chime;
  chime.sixteenBit = false;
  chime.rate = 11025;
  WriteMovie(dir, "CHIME.MVE", chime);
  return {"SOUND01.WAV", "SOUND02.WAV", "INTRO.MVE", "VOICE.MVE", "MUSIC.MVE", "CHIME.MVE"};
}

}  // namespace trovex::sample

// Helpers for the movie tests: WAVE files read and written through the WAVE
// library, ffmpeg as the outside decoder, and a movie's bytes apart from its
// audio data.
//
// The Windows build, run under wine, cannot wait for a program of the build
// machine: there the track is read through the codec's own extraction, which
// the native build checks against ffmpeg, and checks of what only ffmpeg
// tells are left to the native build (kFfmpegRuns).
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MveFormat.hpp"
#include "SoundTrack.hpp"
#include "support/Process.hpp"

namespace trovex::test {

#ifdef _WIN32
constexpr bool kFfmpegRuns = false;
#else
constexpr bool kFfmpegRuns = true;
#endif

struct Wave {
  int rate = 0;
  int channels = 0;
  int format = 0;
  std::vector<std::int16_t> samples;  // as 16-bit values
};

inline Wave ReadWave(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  Wave wave;
  if (file == nullptr) return wave;
  wave.rate = info.samplerate;
  wave.channels = info.channels;
  wave.format = info.format;
  wave.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_short(file, wave.samples.data(), info.frames);
  sf_close(file);
  return wave;
}

inline void WriteWave(const std::string& path, int rate, int channels, int subtype, const std::vector<float>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | subtype;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / static_cast<std::size_t>(channels)));
  sf_close(file);
}

// 8-bit samples as the movie holds them (-128..127), scaled to 16 bits.
inline std::vector<std::int16_t> Scaled(const std::vector<std::int16_t>& samples, bool eightBit) {
  std::vector<std::int16_t> out(samples);
  if (eightBit) {
    for (auto& s : out) s = static_cast<std::int16_t>(s * 256);
  }
  return out;
}

// The sound track as ffmpeg decodes it from the movie.
inline Wave FfmpegTrack(const std::string& movie, const std::string& wave) {
  if (kFfmpegRuns) {
    RunProcess({"/usr/bin/ffmpeg", "-v", "error", "-y", "-i", movie, "-map", "0:a:0", "-c:a", "pcm_s16le", wave});
  } else {
    mve::Progress progress{nullptr, nullptr};
    mve::ExtractTrack(movie, wave, progress);
  }
  return ReadWave(wave);
}

// The number of video frames ffmpeg reads from the movie.
inline int FfmpegVideoFrames(const std::string& movie) {
  if (!kFfmpegRuns) return -1;
  const auto result = RunProcess({"/usr/bin/ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                                  "stream=nb_read_packets", "-of", "csv=p=0", movie});
  return result.status == 0 ? std::atoi(result.out.c_str()) : -1;
}

// Every byte of the movie except the samples of its audio frames.
inline std::string BytesBesideAudio(const std::string& path) {
  mve::MovieReader reader(path);
  std::string out(reinterpret_cast<const char*>(reader.Header()), mve::kHeaderBytes);
  mve::Chunk chunk;
  while (reader.Next(chunk)) {
    std::size_t at = 0;
    for (const auto& op : chunk.opcodes) {
      if (op.type != mve::opAudioData) continue;
      const std::size_t data = op.payload + mve::kAudioFrameHeaderBytes;
      out.append(reinterpret_cast<const char*>(&chunk.bytes[at]), data - at);
      at = op.payload + op.length;
    }
    out.append(reinterpret_cast<const char*>(&chunk.bytes[at]), chunk.bytes.size() - at);
  }
  return out;
}

}  // namespace trovex::test

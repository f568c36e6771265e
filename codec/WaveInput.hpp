// The sound of a WAVE file (any encoding the WAVE reader knows), converted on
// the fly to a movie's audio format: mixed or duplicated to its channel count,
// resampled to its rate and rounded to its sample size. Read in blocks, so a
// long recording is never held whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <sndfile.h>
#include <soxr.h>

#include "MveFormat.hpp"

namespace mve {

class WaveInput {
 public:
  WaveInput(const std::string& path, const AudioFormat& format);
  ~WaveInput();
  WaveInput(const WaveInput&) = delete;
  WaveInput& operator=(const WaveInput&) = delete;

  // The next frames × channels samples; silence once the recording has ended.
  void Take(std::size_t frames, std::int16_t* samples);

 private:
  void Refill();
  void Mix(const float* in, std::size_t frames, std::vector<float>& out) const;
  void Append(const float* samples, std::size_t count);

  std::string path_;
  AudioFormat format_;
  SNDFILE* file_ = nullptr;
  soxr_t resampler_ = nullptr;
  unsigned fileChannels_ = 0;
  unsigned fileRate_ = 0;
  bool fileEnded_ = false;
  bool drained_ = false;
  std::vector<float> block_, mixed_, resampled_;
  std::vector<std::int16_t> ready_;  // converted samples not yet taken
  std::size_t readyAt_ = 0;
};

}  // namespace mve

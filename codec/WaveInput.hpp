// The sound of a WAVE file (any encoding the WAVE reader knows), converted on
// the fly to a movie's audio format: mixed or duplicated to its channel count,
// resampled to its rate and rounded to its sample size. Read in steps that
// each give at most a block of converted samples, so that neither a long
// recording nor a very low rate (a second of it may give tens of thousands
// of samples) is ever held whole, and nothing is read beyond what is taken.
#pragma once

#include <sndfile.h>
#include <soxr.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

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
  void ReadMixed(std::size_t frames);
  void Resample();
  void Mix(const float* in, std::size_t frames, std::vector<float>& out) const;
  void Append(const float* samples, std::size_t count);

  struct CloseStream {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
  };
  struct CloseSound {
    void operator()(SNDFILE* file) const { sf_close(file); }
  };
  struct DeleteResampler {
    void operator()(soxr_t resampler) const { soxr_delete(resampler); }
  };

  std::string path_;
  AudioFormat format_;
  std::vector<char> streamBuffer_;
  std::unique_ptr<std::FILE, CloseStream> stream_;
  std::unique_ptr<SNDFILE, CloseSound> file_;
  std::unique_ptr<std::remove_pointer_t<soxr_t>, DeleteResampler> resampler_;
  unsigned fileChannels_ = 0;
  unsigned fileRate_ = 0;
  std::size_t readFrames_ = 0;  // the most frames read at once
  bool fileEnded_ = false;
  bool drained_ = false;
  std::vector<float> block_, resampled_;
  std::vector<float> mixed_;  // read and mixed, from mixedAt_ on not yet taken by the resampler
  std::size_t mixedAt_ = 0;
  std::vector<std::int16_t> ready_;  // converted samples not yet taken
  std::size_t readyAt_ = 0;
};

}  // namespace mve

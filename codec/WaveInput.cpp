#include "WaveInput.hpp"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/Platform.hpp"

namespace mve {

namespace {

// The most frames a step reads from the recording, and the most converted
// frames it gives; a recording of many channels is read in fewer frames at a
// time, so that a read holds no more than kReadSamples samples.
constexpr std::size_t kStepFrames = 16384;
constexpr std::size_t kReadSamples = 2 * kStepFrames;

std::int16_t Quantize(float value, bool eightBit) {
  const float scale = eightBit ? 128.0f : 32768.0f;
  const long rounded = std::lrint(value * scale);
  return static_cast<std::int16_t>(std::clamp<long>(rounded, -static_cast<long>(scale), static_cast<long>(scale) - 1));
}

std::FILE* StreamOf(void* user) { return static_cast<std::FILE*>(user); }

sf_count_t StreamLength(void* user) {
  std::FILE* stream = StreamOf(user);
  const off_t here = ::ftello(stream);
  if (here < 0 || ::fseeko(stream, 0, SEEK_END) != 0) return -1;
  const off_t end = ::ftello(stream);
  return ::fseeko(stream, here, SEEK_SET) == 0 ? end : -1;
}

sf_count_t StreamSeek(sf_count_t offset, int whence, void* user) {
  return ::fseeko(StreamOf(user), offset, whence) == 0 ? ::ftello(StreamOf(user)) : -1;
}

sf_count_t StreamRead(void* buffer, sf_count_t count, void* user) {
  return static_cast<sf_count_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), StreamOf(user)));
}

sf_count_t StreamWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t StreamTell(void* user) { return ::ftello(StreamOf(user)); }

}  // namespace

WaveInput::WaveInput(const std::string& path, const AudioFormat& format) : path_(path), format_(format) {
  // The WAVE library reads 8 KiB at a time; it is given the file through a
  // stream that reads 1 MiB at a time.
  stream_.reset(trovex::platform::OpenReadStream(path));
  if (stream_ == nullptr) throw MovieError("Cannot read the sound file " + path + ": " + std::strerror(errno));
  streamBuffer_.resize(1 << 20);
  std::setvbuf(stream_.get(), streamBuffer_.data(), _IOFBF, streamBuffer_.size());
  SF_VIRTUAL_IO access{StreamLength, StreamSeek, StreamRead, StreamWrite, StreamTell};
  SF_INFO info{};
  file_.reset(sf_open_virtual(&access, SFM_READ, &info, stream_.get()));
  if (file_ == nullptr) throw MovieError("Cannot read the sound file " + path + ": " + sf_strerror(nullptr));
  if (info.channels < 1 || info.samplerate < 1) {
    throw MovieError("Cannot read the sound file " + path + ": it holds no samples");
  }
  fileChannels_ = static_cast<unsigned>(info.channels);
  fileRate_ = static_cast<unsigned>(info.samplerate);
  if (static_cast<unsigned>(info.samplerate) != format.rate) {
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    // The cheapest of the resampler's quality levels whose error stays below
    // the noise of rounding to 16 bits (0.29 of a step, root mean square).
    // Measured against a 32-bit, double precision resampling, in steps of
    // 16-bit samples: a sweep of -1 dB full scale within the band (20 Hz
    // to 40% of the new rate) and one above it, which should come out
    // silent; time for 318 s of 44.1 kHz stereo:
    //   44.1 -> 22.05 kHz   in band    above     time
    //   quick               0.0002   20622       about as medium
    //   low                  328      0.004      about as medium
    //   medium, 16-bit      0.011     0.002      70 ms
    //   20-bit              0.004     0.002      73 ms
    //   48 -> 22.05 kHz: medium 28 in band (it droops towards the band's
    //   end), 16-bit 0.07, 20-bit 0.15.
    // The quick level lets what lies above the band fold back into it, the
    // low and medium ones cut the top of the band.
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_16_BITQ, 0);
    resampler_.reset(soxr_create(info.samplerate, format.rate, format.channels, &error, &io, &quality, nullptr));
    if (resampler_ == nullptr) throw MovieError("Cannot resample " + path + ": " + (error ? error : "unknown error"));
  }
  readFrames_ = std::clamp<std::size_t>(kReadSamples / fileChannels_, 1, kStepFrames);
  resampled_.resize(kStepFrames * format.channels);
}

WaveInput::~WaveInput() = default;

// Brings the recording's channels to the movie's when they differ: a mono
// movie gets the mean of all channels, a stereo movie the first two (or the
// one, twice).
void WaveInput::Mix(const float* in, std::size_t frames, std::vector<float>& out) const {
  const unsigned to = format_.channels;
  out.resize(frames * to);
  for (std::size_t f = 0; f < frames; ++f) {
    const float* frame = in + f * fileChannels_;
    if (to == 1) {
      float sum = 0;
      for (unsigned c = 0; c < fileChannels_; ++c) sum += frame[c];
      out[f] = sum / static_cast<float>(fileChannels_);
    } else {
      out[f * 2] = frame[0];
      out[f * 2 + 1] = fileChannels_ == 1 ? frame[0] : frame[1];
    }
  }
}

void WaveInput::Append(const float* samples, std::size_t count) {
  const std::size_t at = ready_.size();
  ready_.resize(at + count);
  const bool eightBit = format_.EightBit();
  for (std::size_t i = 0; i < count; ++i) ready_[at + i] = Quantize(samples[i], eightBit);
}

// Reads up to frames frames of the recording (fewer when it has many
// channels) into mixed_, brought to the movie's channels: read there
// directly when the counts agree.
void WaveInput::ReadMixed(std::size_t frames) {
  mixedAt_ = 0;
  const bool direct = fileChannels_ == format_.channels;
  std::vector<float>& into = direct ? mixed_ : block_;
  sf_count_t got = 0;
  if (!fileEnded_) {
    frames = std::min(frames, readFrames_);
    into.resize(frames * fileChannels_);
    got = std::max<sf_count_t>(0, sf_readf_float(file_.get(), into.data(), static_cast<sf_count_t>(frames)));
    if (got == 0) {
      fileEnded_ = true;
      if (sf_error(file_.get()) != SF_ERR_NO_ERROR)
        throw MovieError("Cannot read the sound file " + path_ + ": " + sf_strerror(file_.get()));
    }
  }
  if (direct) {
    mixed_.resize(static_cast<std::size_t>(got) * fileChannels_);
  } else {
    Mix(block_.data(), static_cast<std::size_t>(got), mixed_);
  }
}

// One step of the resampler. It is fed the recording in portions that give
// about a step of output at the movie's rate (a single frame at the least),
// and what it does not take waits for the next step. Once the recording has
// ended it is called without input until it gives no more.
void WaveInput::Resample() {
  const unsigned channels = format_.channels;
  if (mixedAt_ * channels == mixed_.size()) {
    const std::size_t portion = kStepFrames * std::size_t{fileRate_} / format_.rate;
    ReadMixed(std::clamp<std::size_t>(portion, 1, kStepFrames));
  }
  const std::size_t pending = mixed_.size() / channels - mixedAt_;
  const bool flushing = pending == 0;  // the recording has ended
  std::size_t taken = 0, done = 0;
  const soxr_error_t error = soxr_process(resampler_.get(), flushing ? nullptr : &mixed_[mixedAt_ * channels], pending,
                                          &taken, resampled_.data(), kStepFrames, &done);
  if (error != nullptr) throw MovieError("Cannot resample " + path_ + ": " + error);
  mixedAt_ += taken;
  Append(resampled_.data(), done * channels);
  drained_ = flushing && done == 0;
}

void WaveInput::Refill() {
  ready_.erase(ready_.begin(), ready_.begin() + static_cast<std::ptrdiff_t>(readyAt_));
  readyAt_ = 0;
  if (resampler_ != nullptr) return Resample();
  ReadMixed(kStepFrames);
  Append(mixed_.data(), mixed_.size());
  drained_ = fileEnded_;
}

void WaveInput::Take(std::size_t frames, std::int16_t* samples) {
  std::size_t wanted = frames * format_.channels;
  while (wanted > 0) {
    if (readyAt_ == ready_.size()) {
      if (drained_) {
        std::fill(samples, samples + wanted, std::int16_t{0});
        return;
      }
      Refill();
      continue;
    }
    const std::size_t n = std::min(wanted, ready_.size() - readyAt_);
    std::copy_n(ready_.begin() + static_cast<std::ptrdiff_t>(readyAt_), n, samples);
    readyAt_ += n;
    samples += n;
    wanted -= n;
  }
}

}  // namespace mve

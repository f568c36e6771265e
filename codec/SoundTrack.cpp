#include "SoundTrack.hpp"

#include <sndfile.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "AudioFrames.hpp"
#include "MveFormat.hpp"
#include "OutputFile.hpp"
#include "WaveInput.hpp"

namespace mve {

void Progress::Report(std::int64_t done, std::int64_t total, int from, int to) {
  if (routine_ == nullptr || total <= 0) return;
  const int position = from + static_cast<int>(done * (to - from) / total);
  if (position == last_) return;
  last_ = position;
  routine_(context_, position);
}

namespace {

const unsigned char* FrameData(const Chunk& chunk, const AudioSlot& slot) {
  return &chunk.bytes[chunk.opcodes[slot.opcode].payload + kAudioFrameHeaderBytes];
}

std::size_t FrameDataLength(const Chunk& chunk, const AudioSlot& slot) {
  return chunk.opcodes[slot.opcode].length - kAudioFrameHeaderBytes;
}

// The samples the slot plays.
void DecodeSlot(const AudioFormat& format, const Chunk& chunk, const AudioSlot& slot, std::vector<std::int16_t>& out) {
  out.assign(slot.frames * format.channels, 0);
  if (!slot.silent) DecodeFrame(format, FrameData(chunk, slot), FrameDataLength(chunk, slot), out.data());
}

// A WAVE file at the movie's rate and channel count, written safely.
class WaveOutput {
 public:
  WaveOutput(const std::string& path, const AudioFormat& format) : file_(path), path_(path) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(format.rate);
    info.channels = static_cast<int>(format.channels);
    info.format = SF_FORMAT_WAV | (format.EightBit() ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    std::fflush(file_.Stream());
    sound_ = sf_open_fd(file_.Descriptor(), SFM_WRITE, &info, SF_FALSE);
    if (sound_ == nullptr) throw MovieError("Cannot create file " + path + ": " + sf_strerror(nullptr));
    eightBit_ = format.EightBit();
    channels_ = format.channels;
  }
  ~WaveOutput() {
    if (sound_ != nullptr) sf_close(sound_);
  }

  // Samples in the movie's terms; 8-bit ones are scaled to 16 bits, which
  // the writer turns back into the same 8-bit values.
  void Write(std::vector<std::int16_t>& samples) {
    if (eightBit_) {
      for (auto& s : samples) s = static_cast<std::int16_t>(s * 256);
    }
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / channels_);
    if (sf_writef_short(sound_, samples.data(), frames) != frames) throw MovieError("Cannot write file " + path_);
  }

  void Commit() {
    const int result = sf_close(sound_);
    sound_ = nullptr;
    if (result != 0) throw MovieError("Cannot write file " + path_);
    file_.Commit();
  }

 private:
  OutputFile file_;
  std::string path_;
  SNDFILE* sound_ = nullptr;
  bool eightBit_ = false;
  unsigned channels_ = 1;
};

std::string NoSoundTrack(const std::string& moviePath) { return moviePath + " has no sound track"; }

// Walks the whole movie once: checks every chunk and tells whether the new
// sound differs from the track anywhere. Returns the audio format.
bool TrackDiffers(const std::string& wavePath, const std::string& moviePath, Progress& progress) {
  MovieReader reader(moviePath);
  AudioTrack track(moviePath);
  std::unique_ptr<WaveInput> input;
  std::vector<std::int16_t> oldSamples, newSamples;
  bool differs = false;
  Chunk chunk;
  while (reader.Next(chunk)) {
    const auto slots = track.Slots(chunk);
    if (track.Format() && !input) input = std::make_unique<WaveInput>(wavePath, *track.Format());
    for (const auto& slot : slots) {
      if (differs) break;
      DecodeSlot(*track.Format(), chunk, slot, oldSamples);
      newSamples.resize(oldSamples.size());
      input->Take(slot.frames, newSamples.data());
      differs = oldSamples != newSamples;
    }
    progress.Report(reader.Position(), reader.Size(), 0, 50);
  }
  if (!track.Format()) throw MovieError(NoSoundTrack(moviePath));
  return differs;
}

void RewriteTrack(const std::string& wavePath, const std::string& moviePath, Progress& progress) {
  MovieReader reader(moviePath);
  AudioTrack track(moviePath);
  std::unique_ptr<WaveInput> input;
  OutputFile output(moviePath);
  output.Write(reader.Header(), kHeaderBytes);
  std::vector<std::int16_t> oldSamples, newSamples;
  Chunk chunk;
  while (reader.Next(chunk)) {
    const auto slots = track.Slots(chunk);
    if (track.Format() && !input) input = std::make_unique<WaveInput>(wavePath, *track.Format());
    for (const auto& slot : slots) {
      const AudioFormat& format = *track.Format();
      DecodeSlot(format, chunk, slot, oldSamples);
      newSamples.resize(oldSamples.size());
      input->Take(slot.frames, newSamples.data());
      if (slot.silent || oldSamples == newSamples) continue;
      EncodeFrame(format, newSamples.data(), slot.frames,
                  &chunk.bytes[chunk.opcodes[slot.opcode].payload + kAudioFrameHeaderBytes]);
    }
    output.Write(chunk.bytes.data(), chunk.bytes.size());
    progress.Report(reader.Position(), reader.Size(), 50, 100);
  }
  reader.CopyRest(output.Stream());
  output.Commit();
}

}  // namespace

void ExtractTrack(const std::string& moviePath, const std::string& wavePath, Progress& progress) {
  MovieReader reader(moviePath);
  AudioTrack track(moviePath);
  std::unique_ptr<WaveOutput> wave;
  std::vector<std::int16_t> samples;
  Chunk chunk;
  progress.Report(0, 1);
  while (reader.Next(chunk)) {
    const auto slots = track.Slots(chunk);
    if (track.Format() && !wave) wave = std::make_unique<WaveOutput>(wavePath, *track.Format());
    for (const auto& slot : slots) {
      DecodeSlot(*track.Format(), chunk, slot, samples);
      wave->Write(samples);
    }
    progress.Report(reader.Position(), reader.Size());
  }
  if (!wave) throw MovieError(NoSoundTrack(moviePath));
  wave->Commit();
  progress.Report(1, 1);
}

void InsertTrack(const std::string& wavePath, const std::string& moviePath, Progress& progress) {
  progress.Report(0, 1);
  if (TrackDiffers(wavePath, moviePath, progress)) RewriteTrack(wavePath, moviePath, progress);
  progress.Report(1, 1);
}

}  // namespace mve

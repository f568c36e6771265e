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

// The new samples of each stream-0 frame of the chunk, encoded over the old
// data where they differ. Silence frames stay silent, but their share of the
// recording is used up all the same, so the rest stays in time. Returns
// whether any frame changed.
bool ReplaceSlots(const AudioFormat& format, Chunk& chunk, const std::vector<AudioSlot>& slots, WaveInput& input) {
  std::vector<std::int16_t> oldSamples, newSamples;
  bool changed = false;
  for (const auto& slot : slots) {
    DecodeSlot(format, chunk, slot, oldSamples);
    newSamples.resize(oldSamples.size());
    input.Take(slot.frames, newSamples.data());
    if (slot.silent || oldSamples == newSamples) continue;
    EncodeFrame(format, newSamples.data(), slot.frames,
                &chunk.bytes[chunk.opcodes[slot.opcode].payload + kAudioFrameHeaderBytes]);
    changed = true;
  }
  return changed;
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

// One pass: the movie is only read until the first frame that changes. The
// new movie is started there with a copy of everything before that chunk, and
// written from then on. A movie whose track does not change is never written,
// and a damaged one is refused before the new file replaces it.
void InsertTrack(const std::string& wavePath, const std::string& moviePath, Progress& progress) {
  progress.Report(0, 1);
  MovieReader reader(moviePath);
  AudioTrack track(moviePath);
  std::unique_ptr<WaveInput> input;
  std::unique_ptr<OutputFile> output;
  Chunk chunk;
  while (reader.Next(chunk)) {
    const auto slots = track.Slots(chunk);
    if (track.Format() && !input) input = std::make_unique<WaveInput>(wavePath, *track.Format());
    const bool changed = !slots.empty() && ReplaceSlots(*track.Format(), chunk, slots, *input);
    if (changed && !output) {
      output = std::make_unique<OutputFile>(moviePath);
      output->CopyFrom(moviePath, chunk.offset);
    }
    if (output) output->Write(chunk.bytes.data(), chunk.bytes.size());
    progress.Report(reader.Position(), reader.Size());
  }
  if (!track.Format()) throw MovieError(NoSoundTrack(moviePath));
  if (output) {
    reader.CopyRest(output->Stream());
    output->Commit();
  }
  progress.Report(1, 1);
}

}  // namespace mve

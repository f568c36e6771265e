#include "SoundTrack.hpp"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "AudioFrames.hpp"
#include "MveFormat.hpp"
#include "OutputFile.hpp"
#include "SequentialOutput.hpp"
#include "WaveInput.hpp"
#include "framework/Platform.hpp"

namespace mve {

void Progress::Report(std::int64_t done, std::int64_t total) {
  if (routine_ == nullptr || total <= 0) return;
  const int position = static_cast<int>(done * 100 / total);
  if (position == last_) return;
  last_ = position;
  routine_(context_, position);
}

namespace {

// Where the frame's samples start in the chunk.
std::size_t FrameDataOffset(const Chunk& chunk, const AudioSlot& slot) {
  return chunk.opcodes[slot.opcode].payload + kAudioFrameHeaderBytes;
}

// The frame's samples in the chunk, for reading or for writing over.
template <typename ChunkType>
auto* FrameData(ChunkType& chunk, const AudioSlot& slot) {
  return &chunk.bytes[FrameDataOffset(chunk, slot)];
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
    SF_VIRTUAL_IO access{Length, Seek, Read, Write, Tell};
    sound_ = sf_open_virtual(&access, SFM_WRITE, &info, this);
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
  // The WAVE library writes through the output file's own calls, which are
  // the same on every platform; it reads nothing back of a file it writes.
  static WaveOutput& Of(void* user) { return *static_cast<WaveOutput*>(user); }
  static sf_count_t Length(void* user) { return Of(user).length_; }
  static sf_count_t Tell(void* user) { return Of(user).position_; }
  static sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    WaveOutput& out = Of(user);
    const sf_count_t base = whence == SEEK_CUR ? out.position_ : whence == SEEK_END ? out.length_ : 0;
    if (base + offset < 0) return -1;
    return out.position_ = base + offset;
  }
  static sf_count_t Read(void*, sf_count_t, void*) { return 0; }
  static sf_count_t Write(const void* bytes, sf_count_t count, void* user) {
    WaveOutput& out = Of(user);
    if (!out.file_.TryWriteAt(out.position_, bytes, static_cast<std::size_t>(count))) return 0;
    out.position_ += count;
    out.length_ = std::max(out.length_, out.position_);
    return count;
  }

  OutputFile file_;
  sf_count_t position_ = 0;
  sf_count_t length_ = 0;
  std::string path_;
  SNDFILE* sound_ = nullptr;
  bool eightBit_ = false;
  unsigned channels_ = 1;
};

// The WAVE file would replace the movie itself (however the path is spelled).
bool SameFile(const std::string& a, const std::string& b) {
  namespace platform = trovex::platform;
  const platform::FileStatus first = platform::StatusOf(a), second = platform::StatusOf(b);
  return first.exists && second.exists && first.id == second.id;
}

std::string NoSoundTrack(const std::string& moviePath) { return moviePath + " has no sound track"; }

// Sound worth telling about: a sample above 1/256 of full scale (-48 dB), so
// that the resampler's faint ringing beside a silence frame does not count.
// Every step of 8-bit samples lies above it.
bool Audible(const std::vector<std::int16_t>& samples, bool eightBit) {
  const int limit = eightBit ? 0 : 128;
  return std::any_of(samples.begin(), samples.end(), [limit](std::int16_t s) { return std::abs(s) > limit; });
}

// The recording's sound that fell into silence frames and was not put in:
// spans of the track, in frames from its start.
class DroppedSound {
 public:
  void Add(std::size_t from, std::size_t frames) {
    if (!spans_.empty() && spans_.back().second == from) {
      spans_.back().second += frames;
    } else {
      spans_.emplace_back(from, from + frames);
    }
    total_ += frames;
  }

  std::string Note(const std::string& wavePath, const std::string& moviePath, unsigned rate) const {
    if (spans_.empty()) return {};
    constexpr std::size_t kSpansShown = 5;
    std::string where;
    for (std::size_t i = 0; i < std::min(spans_.size(), kSpansShown); ++i) {
      where += (i == 0 ? "" : ", ") + Seconds(spans_[i].first, rate) + " to " + Seconds(spans_[i].second, rate);
    }
    if (spans_.size() > kSpansShown) where += " and " + std::to_string(spans_.size() - kSpansShown) + " more places";
    return Seconds(total_, rate) + " of " + wavePath + " not put in: the sound track of " + moviePath +
           " is silent at " + where;
  }

 private:
  static std::string Seconds(std::size_t frames, unsigned rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(frames) / rate);
    return text;
  }

  std::vector<std::pair<std::size_t, std::size_t>> spans_;
  std::size_t total_ = 0;
};

// The new samples of each stream-0 frame of the chunk, encoded over the old
// data where they differ. Silence frames stay silent, but their share of the
// recording is used up all the same, so the rest stays in time; what sound
// they held goes to dropped. position counts the track's frames so far.
// Tells whether any frame changed.
bool ReplaceSlots(const AudioFormat& format, Chunk& chunk, const std::vector<AudioSlot>& slots, WaveInput& input,
                  std::size_t& position, DroppedSound& dropped) {
  std::vector<std::int16_t> newSamples;
  bool changed = false;
  for (const auto& slot : slots) {
    newSamples.resize(slot.frames * format.channels);
    input.Take(slot.frames, newSamples.data());
    if (slot.silent && Audible(newSamples, format.EightBit())) dropped.Add(position, slot.frames);
    position += slot.frames;
    if (slot.silent || FrameHolds(format, FrameData(chunk, slot), FrameDataLength(chunk, slot), newSamples.data())) {
      continue;
    }
    EncodeFrame(format, newSamples.data(), slot.frames, FrameData(chunk, slot));
    changed = true;
  }
  return changed;
}

}  // namespace

void ExtractTrack(const std::string& moviePath, const std::string& wavePath, Progress& progress) {
  MovieReader reader(moviePath);
  if (SameFile(moviePath, wavePath)) throw MovieError("Cannot create file " + wavePath);
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

// One pass. At the first frame that changes, the new movie is started
// with the old one's bytes before that frame's chunk; from there on every
// chunk goes to it as read, with its changed frames encoded anew, and the
// bytes after the last chunk follow. A movie whose track does not change is
// never written, and a damaged one is refused before the new file replaces
// it.
std::string InsertTrack(const std::string& wavePath, const std::string& moviePath, Progress& progress) {
  progress.Report(0, 1);
  MovieReader reader(moviePath);
  AudioTrack track(moviePath);
  std::unique_ptr<WaveInput> input;
  std::unique_ptr<SequentialOutput> output;
  std::size_t position = 0;
  DroppedSound dropped;
  Chunk chunk;
  while (reader.Next(chunk)) {
    const auto slots = track.Slots(chunk);
    if (track.Format() && !input) input = std::make_unique<WaveInput>(wavePath, *track.Format());
    const bool changed = !slots.empty() && ReplaceSlots(*track.Format(), chunk, slots, *input, position, dropped);
    if (changed && !output) {
      output = std::make_unique<SequentialOutput>(moviePath);
      output->AppendFile(moviePath, 0, chunk.offset);
    }
    if (output) output->Append(chunk.bytes.data(), chunk.bytes.size());
    progress.Report(reader.Position(), reader.Size());
  }
  if (!track.Format()) throw MovieError(NoSoundTrack(moviePath));
  if (output) output->AppendFile(moviePath, reader.Position(), reader.Size());
  reader.Close();
  if (output) output->Commit();
  progress.Report(1, 1);
  return dropped.Note(wavePath, moviePath, track.Format()->rate);
}

}  // namespace mve

// Movies for tests, samples and benchmarks: a few frames of video opcodes and
// a sound track of raw or compressed audio, laid out as players expect: an
// initialize-video chunk, an initialize-audio chunk, audio-only chunks queued
// ahead of the pictures, then one chunk per frame holding its audio frames
// (one by default; each an audio frame for stream 0 and a silence frame for
// the other streams) and the frame's video.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trovex::build {

struct MovieShape {
  unsigned channels = 1;
  bool sixteenBit = true;
  bool compressed = false;
  unsigned rate = 22050;
  std::size_t videoFrames = 4;
  std::size_t queuedSlots = 1;     // audio-only chunks before the first picture
  std::size_t videoBytes = 64;     // video data per frame
  bool withSound = true;           // false: no audio set-up, no audio frames
  std::size_t framesPerChunk = 1;  // audio frames in each chunk
  // Audio frames (counted over the whole movie) that are silence frames for
  // every stream, stream 0 included.
  std::vector<std::size_t> silentFrames;
};

// Samples per channel in each audio frame: one frame period (15 per second).
std::size_t SlotFrames(const MovieShape& shape);
// Audio frames in the whole movie.
std::size_t AudioFrameCount(const MovieShape& shape);
// Samples per channel in the whole track.
std::size_t TrackFrames(const MovieShape& shape);

// A test tone of frames × channels samples: a different sine per channel at
// about a quarter of full scale. 8-bit samples are held as -128..127.
std::vector<std::int16_t> ToneSamples(const MovieShape& shape, std::size_t frames, double hertz = 440.0);

// Writes a movie piece by piece, so a large one is never held whole.
class MovieWriter {
 public:
  MovieWriter(const MovieShape& shape, const std::vector<std::int16_t>& samples);
  // The header and the two initialization chunks.
  std::string Start() const;
  // The chunk of slot i: audio-only while i < queuedSlots, then frame chunks.
  std::string Slot(std::size_t i) const;
  std::size_t SlotCount() const { return shape_.queuedSlots + shape_.videoFrames; }
  std::string End() const;

 private:
  std::string AudioOpcodes(std::size_t i) const;
  std::string AudioFrame(std::size_t i) const;
  std::string VideoOpcodes(std::size_t frame) const;

  MovieShape shape_;
  const std::vector<std::int16_t>& samples_;
};

// A whole movie. samples holds TrackFrames(shape) × channels samples.
std::string MakeMovie(const MovieShape& shape, const std::vector<std::int16_t>& samples);

}  // namespace trovex::build

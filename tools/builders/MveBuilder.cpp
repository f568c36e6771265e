#include "builders/MveBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "AudioFrames.hpp"
#include "builders/Bytes.hpp"

namespace trovex::build {

namespace {

constexpr std::uint32_t kTimerRate = 8333;  // 8333 µs × 8 = one frame at 15 per second
constexpr std::uint16_t kTimerSubdivision = 8;

std::string Opcode(std::uint8_t type, std::uint8_t version, const std::string& payload) {
  std::string out;
  PutU16(out, static_cast<std::uint16_t>(payload.size()));
  out.push_back(static_cast<char>(type));
  out.push_back(static_cast<char>(version));
  return out + payload;
}

std::string Chunk(std::uint16_t type, const std::string& body) {
  std::string out;
  PutU16(out, static_cast<std::uint16_t>(body.size()));
  PutU16(out, type);
  return out + body;
}

std::string Words(std::initializer_list<std::uint16_t> words) {
  std::string out;
  for (auto w : words) PutU16(out, w);
  return out;
}

mve::AudioFormat FormatOf(const MovieShape& shape) {
  return {shape.channels, shape.sixteenBit, shape.compressed, shape.rate};
}

}  // namespace

std::size_t SlotFrames(const MovieShape& shape) {
  const double period = static_cast<double>(kTimerRate) * kTimerSubdivision / 1e6;
  return static_cast<std::size_t>(std::lround(shape.rate * period));
}

std::size_t AudioFrameCount(const MovieShape& shape) {
  return shape.framesPerChunk * (shape.queuedSlots + shape.videoFrames);
}

std::size_t TrackFrames(const MovieShape& shape) { return SlotFrames(shape) * AudioFrameCount(shape); }

std::vector<std::int16_t> ToneSamples(const MovieShape& shape, std::size_t frames, double hertz) {
  const bool eightBit = !shape.sixteenBit && !shape.compressed;
  const double amplitude = eightBit ? 30.0 : 8000.0;
  std::vector<std::int16_t> samples;
  samples.reserve(frames * shape.channels);
  for (std::size_t f = 0; f < frames; ++f) {
    for (unsigned c = 0; c < shape.channels; ++c) {
      const double t = static_cast<double>(f) / shape.rate;
      samples.push_back(static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * hertz * (1 + 0.5 * c) * t))));
    }
  }
  return samples;
}

MovieWriter::MovieWriter(const MovieShape& shape, const std::vector<std::int16_t>& samples)
    : shape_(shape), samples_(samples) {}

std::string MovieWriter::Start() const {
  std::string out("Interplay MVE File\x1A", 19);
  out.push_back('\0');
  out += Words({0x001A, 0x0100, 0x1133});
  // Video buffers of 8 × 8 blocks (version 2: width, height, count, true colour).
  out += Chunk(2, Opcode(0x05, 2, Words({4, 3, 1, 0})) + Opcode(0x0A, 0, Words({32, 24, 0})) + Opcode(0x01, 0, ""));
  std::string audio;
  PutU32(audio, kTimerRate);
  PutU16(audio, kTimerSubdivision);
  std::string init = Opcode(0x02, 0, audio);
  if (shape_.withSound) {
    const std::uint16_t flags = static_cast<std::uint16_t>((shape_.channels == 2 ? 1 : 0) | (shape_.sixteenBit ? 2 : 0) |
                                                           (shape_.compressed ? 4 : 0));
    std::string setup = Words({0, flags, static_cast<std::uint16_t>(shape_.rate)});
    PutU32(setup, 0x10000);
    init += Opcode(0x03, 1, setup);
  }
  return out + Chunk(0, init + Opcode(0x01, 0, ""));
}

// The audio frames of chunk i.
std::string MovieWriter::AudioOpcodes(std::size_t i) const {
  if (!shape_.withSound) return {};
  std::string out;
  for (std::size_t k = 0; k < shape_.framesPerChunk; ++k) out += AudioFrame(i * shape_.framesPerChunk + k);
  return out;
}

// Audio frame i of the movie: its data for stream 0 and silence for the
// others, or silence for all.
std::string MovieWriter::AudioFrame(std::size_t i) const {
  const mve::AudioFormat format = FormatOf(shape_);
  const std::size_t frames = SlotFrames(shape_);
  const std::size_t streamLength = frames * format.channels * format.BytesPerSample();
  const std::size_t dataLength =
      format.compressed ? format.channels * (frames + 1) : streamLength;
  std::string data(dataLength, '\0');
  mve::EncodeFrame(format, &samples_[i * frames * format.channels], frames, reinterpret_cast<unsigned char*>(data.data()));
  const auto sequence = static_cast<std::uint16_t>(i);
  const auto length = static_cast<std::uint16_t>(streamLength);
  if (std::find(shape_.silentFrames.begin(), shape_.silentFrames.end(), i) != shape_.silentFrames.end()) {
    return Opcode(0x09, 0, Words({sequence, 0xFFFF, length}));
  }
  return Opcode(0x08, 0, Words({sequence, 0x0001, length}) + data) +
         Opcode(0x09, 0, Words({sequence, 0xFFFE, length}));
}

// A palette, a decoding map and video data that differ from frame to frame,
// then the show-frame opcode.
std::string MovieWriter::VideoOpcodes(std::size_t frame) const {
  Random random(static_cast<std::uint32_t>(frame + 1));
  std::string palette = Words({0, 256});
  for (int i = 0; i < 768; ++i) palette.push_back(static_cast<char>((i + frame) & 0x3F));
  std::string map(6, '\0');
  std::string video(shape_.videoBytes, '\0');
  for (auto& b : map) b = static_cast<char>(random.Below(256));
  for (auto& b : video) b = static_cast<char>(random.Below(256));
  return Opcode(0x0C, 0, palette) + Opcode(0x0F, 0, map) + Opcode(0x11, 0, video) +
         Opcode(0x07, 1, Words({0, 0, 0}));
}

std::string MovieWriter::Slot(std::size_t i) const {
  if (i < shape_.queuedSlots) return Chunk(1, AudioOpcodes(i) + Opcode(0x01, 0, ""));
  return Chunk(3, AudioOpcodes(i) + VideoOpcodes(i - shape_.queuedSlots) + Opcode(0x01, 0, ""));
}

std::string MovieWriter::End() const { return Chunk(4, Opcode(0x01, 0, "")) + Chunk(5, Opcode(0x00, 0, "")); }

std::string MakeMovie(const MovieShape& shape, const std::vector<std::int16_t>& samples) {
  const MovieWriter writer(shape, samples);
  std::string out = writer.Start();
  for (std::size_t i = 0; i < writer.SlotCount(); ++i) out += writer.Slot(i);
  return out + writer.End();
}

}  // namespace trovex::build

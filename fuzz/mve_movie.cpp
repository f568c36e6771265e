// A movie, read as the codec library reads it: chunks, opcodes, the audio
// set-up and every stream-0 audio frame decoded into a buffer of exactly the
// size its frame count gives, and compared with what it decoded to. Raw
// frames encode back to the same bytes.
#include <cstdio>
#include <vector>

#include "AudioFrames.hpp"
#include "FuzzCheck.hpp"
#include "MveFormat.hpp"

using namespace trovex;

namespace {

void CheckFrame(const mve::AudioFormat& format, const mve::Chunk& chunk, const mve::AudioSlot& slot) {
  if (slot.silent) return;
  const mve::Opcode& op = chunk.opcodes[slot.opcode];
  const unsigned char* data = &chunk.bytes[op.payload + mve::kAudioFrameHeaderBytes];
  const std::size_t length = op.length - mve::kAudioFrameHeaderBytes;
  std::vector<std::int16_t> samples(slot.frames * format.channels);
  mve::DecodeFrame(format, data, length, samples.data());
  fuzz::Require(mve::FrameHolds(format, data, length, samples.data()), "a frame holds the samples it decodes to");
  if (!samples.empty()) {
    samples.back() = static_cast<std::int16_t>(samples.back() ^ 1);
    fuzz::Require(!mve::FrameHolds(format, data, length, samples.data()), "a frame tells another last sample");
    samples.back() = static_cast<std::int16_t>(samples.back() ^ 1);
  }
  std::vector<unsigned char> again(length);
  mve::EncodeFrame(format, samples.data(), slot.frames, again.data());
  if (!format.compressed) {
    fuzz::Require(std::equal(again.begin(), again.end(), data), "raw samples encode back to their bytes");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  try {
    mve::MovieReader reader(file, "fuzz.mve");
    mve::AudioTrack track("fuzz.mve");
    mve::Chunk chunk;
    while (reader.Next(chunk)) {
      for (const auto& slot : track.Slots(chunk)) CheckFrame(*track.Format(), chunk, slot);
    }
  } catch (const mve::MovieError&) {
  }
  return 0;
}

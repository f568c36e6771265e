#include "AudioFrames.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace mve {

const std::int16_t kDeltaTable[256] = {
    0,      1,      2,      3,      4,      5,      6,      7,      8,      9,      10,     11,     12,     13,
    14,     15,     16,     17,     18,     19,     20,     21,     22,     23,     24,     25,     26,     27,
    28,     29,     30,     31,     32,     33,     34,     35,     36,     37,     38,     39,     40,     41,
    42,     43,     47,     51,     56,     61,     66,     72,     79,     86,     94,     102,    112,    122,
    133,    145,    158,    173,    189,    206,    225,    245,    267,    292,    318,    348,    379,    414,
    452,    493,    538,    587,    640,    699,    763,    832,    908,    991,    1081,   1180,   1288,   1405,
    1534,   1673,   1826,   1993,   2175,   2373,   2590,   2826,   3084,   3365,   3672,   4008,   4373,   4772,
    5208,   5683,   6202,   6767,   7385,   8059,   8794,   9597,   10472,  11428,  12471,  13609,  14851,  16206,
    17685,  19298,  21060,  22981,  25078,  27367,  29864,  32589,  -29973, -26728, -23186, -19322, -15105, -10503,
    -5481,  -1,     1,      1,      5481,   10503,  15105,  19322,  23186,  26728,  29973,  -32589, -29864, -27367,
    -25078, -22981, -21060, -19298, -17685, -16206, -14851, -13609, -12471, -11428, -10472, -9597,  -8794,  -8059,
    -7385,  -6767,  -6202,  -5683,  -5208,  -4772,  -4373,  -4008,  -3672,  -3365,  -3084,  -2826,  -2590,  -2373,
    -2175,  -1993,  -1826,  -1673,  -1534,  -1405,  -1288,  -1180,  -1081,  -991,   -908,   -832,   -763,   -699,
    -640,   -587,   -538,   -493,   -452,   -414,   -379,   -348,   -318,   -292,   -267,   -245,   -225,   -206,
    -189,   -173,   -158,   -145,   -133,   -122,   -112,   -102,   -94,    -86,    -79,    -72,    -66,    -61,
    -56,    -51,    -47,    -43,    -42,    -41,    -40,    -39,    -38,    -37,    -36,    -35,    -34,    -33,
    -32,    -31,    -30,    -29,    -28,    -27,    -26,    -25,    -24,    -23,    -22,    -21,    -20,    -19,
    -18,    -17,    -16,    -15,    -14,    -13,    -12,    -11,    -10,    -9,     -8,     -7,     -6,     -5,
    -4,     -3,     -2,     -1};

namespace {

constexpr int kMaxDelta = 65535;

// The encoder's choices: the indices whose deltas rise steadily (137..255,
// then 0..119), from -32589 to +32589. The entries between them are wrapped
// values that a decoder adding with 16-bit wrap-around would read otherwise,
// so they are never written.
std::array<std::uint8_t, 239> AscendingIndices() {
  std::array<std::uint8_t, 239> indices{};
  std::size_t n = 0;
  for (int i = 137; i <= 255; ++i) indices[n++] = static_cast<std::uint8_t>(i);
  for (int i = 0; i <= 119; ++i) indices[n++] = static_cast<std::uint8_t>(i);
  return indices;
}

// For every wanted change -65535..65535, the position in AscendingIndices of
// the nearest delta; and the delta at each position.
struct NearestDelta {
  std::array<std::uint8_t, 239> indices = AscendingIndices();
  std::array<int, 239> deltas{};
  std::array<std::uint8_t, 2 * kMaxDelta + 1> position{};

  NearestDelta() {
    for (std::size_t p = 0; p < indices.size(); ++p) deltas[p] = kDeltaTable[indices[p]];
    std::size_t p = 0;
    for (int wanted = -kMaxDelta; wanted <= kMaxDelta; ++wanted) {
      while (p + 1 < indices.size() &&
             std::abs(kDeltaTable[indices[p + 1]] - wanted) <= std::abs(kDeltaTable[indices[p]] - wanted)) {
        ++p;
      }
      position[static_cast<std::size_t>(wanted + kMaxDelta)] = static_cast<std::uint8_t>(p);
    }
  }
};

const NearestDelta& Nearest() {
  static const NearestDelta nearest;
  return nearest;
}

// The position of the delta that brings predictor nearest to target while
// the sum stays in 16 bits.
std::size_t ChoosePosition(const NearestDelta& nearest, int predictor, int target) {
  std::size_t p = nearest.position[static_cast<std::size_t>(target - predictor + kMaxDelta)];
  // Out of range only towards the side the target lies on; the next delta
  // towards zero is then the best that fits.
  while (predictor + nearest.deltas[p] > 32767) --p;
  while (predictor + nearest.deltas[p] < -32768) ++p;
  return p;
}

void EncodeCompressed(unsigned channels, const std::int16_t* samples, std::size_t frames, unsigned char* data) {
  if (frames == 0) return;
  int predictor[2] = {0, 0};
  for (unsigned c = 0; c < channels; ++c) {
    predictor[c] = samples[c];
    Store16(data, static_cast<std::uint16_t>(samples[c]));
    data += 2;
  }
  const NearestDelta& nearest = Nearest();
  unsigned c = 0;
  for (std::size_t i = channels; i < frames * channels; ++i) {
    const std::size_t p = ChoosePosition(nearest, predictor[c], samples[i]);
    predictor[c] += nearest.deltas[p];
    *data++ = nearest.indices[p];
    c = (c + 1 == channels) ? 0 : c + 1;
  }
}

// Decodes a frame's data sample by sample, handing each to take until take
// returns false; tells whether every sample was taken.
template <typename Take>
bool DecodeEach(const AudioFormat& format, const unsigned char* data, std::size_t length, Take take) {
  if (format.compressed) {
    if (length == 0) return true;
    const unsigned channels = format.channels;
    int predictor[2] = {0, 0};
    for (unsigned c = 0; c < channels; ++c) {
      predictor[c] = static_cast<std::int16_t>(Load16(data + 2 * c));
      if (!take(static_cast<std::int16_t>(predictor[c]))) return false;
    }
    unsigned c = 0;
    for (std::size_t i = 2 * channels; i < length; ++i) {
      predictor[c] = std::clamp(predictor[c] + kDeltaTable[data[i]], -32768, 32767);
      if (!take(static_cast<std::int16_t>(predictor[c]))) return false;
      c = (c + 1 == channels) ? 0 : c + 1;
    }
  } else if (format.sixteenBit) {
    for (std::size_t i = 0; i + 1 < length; i += 2) {
      if (!take(static_cast<std::int16_t>(Load16(data + i)))) return false;
    }
  } else {
    for (std::size_t i = 0; i < length; ++i) {
      if (!take(static_cast<std::int16_t>(data[i] - 128))) return false;
    }
  }
  return true;
}

}  // namespace

void DecodeFrame(const AudioFormat& format, const unsigned char* data, std::size_t length, std::int16_t* samples) {
  DecodeEach(format, data, length, [&samples](std::int16_t sample) {
    *samples++ = sample;
    return true;
  });
}

bool FrameHolds(const AudioFormat& format, const unsigned char* data, std::size_t length, const std::int16_t* samples) {
  return DecodeEach(format, data, length, [&samples](std::int16_t sample) { return *samples++ == sample; });
}

void EncodeFrame(const AudioFormat& format, const std::int16_t* samples, std::size_t frames, unsigned char* data) {
  const std::size_t count = frames * format.channels;
  if (format.compressed) {
    EncodeCompressed(format.channels, samples, frames, data);
  } else if (format.sixteenBit) {
    for (std::size_t i = 0; i < count; ++i) Store16(data + 2 * i, static_cast<std::uint16_t>(samples[i]));
  } else {
    for (std::size_t i = 0; i < count; ++i) data[i] = static_cast<unsigned char>(samples[i] + 128);
  }
}

}  // namespace mve

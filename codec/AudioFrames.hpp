// The samples of one audio frame: raw 8-bit unsigned, raw 16-bit signed, or
// compressed (a predictor per channel, then one delta-table index per
// sample). Samples are held as 16-bit values; 8-bit samples as their signed
// value, -128..127.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MveFormat.hpp"

namespace mve {

// Decodes a frame's data (length bytes) into frames × channels samples.
void DecodeFrame(const AudioFormat& format, const unsigned char* data, std::size_t length, std::int16_t* samples);
// Whether the frame's data decodes to exactly these samples; the decoding
// stops at the first that differs.
bool FrameHolds(const AudioFormat& format, const unsigned char* data, std::size_t length, const std::int16_t* samples);
// Encodes frames × channels samples into data, which has room for exactly
// the length that frame count takes in this format.
void EncodeFrame(const AudioFormat& format, const std::int16_t* samples, std::size_t frames, unsigned char* data);

// The compressed form's delta table.
extern const std::int16_t kDeltaTable[256];

}  // namespace mve

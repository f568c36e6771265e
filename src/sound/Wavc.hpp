// Compressed sound ("WAVC"): the bare ACM data behind the 28-byte header,
// written to an ".acm" file (format code 4). There is no way back.
#pragma once

#include <cstdint>
#include <string>

#include "run/RunState.hpp"

namespace trovex {

inline constexpr std::int64_t kWavcHeaderBytes = 28;

void ConvertWavcToAcm(RunState& run, const std::string& path);

}  // namespace trovex

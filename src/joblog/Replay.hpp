// Replay of job logs: each "#Source:" group is handed to the insertion
// handler of the format in force.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "run/RunState.hpp"

namespace trovex {

// An insertion handler consumes its target lines from startIndex on and
// returns the index of the first line it did not consume.
using InsertionHandler = std::size_t (*)(RunState& run, const std::string& targetPath, std::size_t startIndex);

// The insertion handler of a format code, or nullptr.
InsertionHandler InsertionHandlerFor(std::uint8_t formatCode);

// Replays one job log file (format codes 1 and 8).
void ReplayJobLog(RunState& run, const std::string& logPath);

}  // namespace trovex

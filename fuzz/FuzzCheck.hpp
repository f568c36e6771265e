// What every fuzz target shares: the input as a memory stream, a run state
// whose window goes nowhere, and the check of an invariant, which ends the
// program with a message that libFuzzer reports as a finding.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "framework/MemoryStream.hpp"
#include "run/RunState.hpp"
#include "support/FakeWindow.hpp"

namespace trovex::fuzz {

inline TMemoryStream MemoryOf(const std::uint8_t* data, std::size_t size) {
  return TMemoryStream(std::vector<unsigned char>(data, data + size));
}

inline std::string_view TextOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline void Require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}

// A run with an output directory nobody may write to: a target that reaches
// for a file fails at once instead of touching the disk.
struct QuietRun {
  test::FakeWindow window;
  RunState run{window};
  QuietRun() { run.OutputDir = "/nonexistent/fuzz-output"; }
};

}  // namespace trovex::fuzz

// The blocks of a compressed archive, decompressed as extraction does it
// (through the ordered pipeline, here on one thread so that a busy machine
// does not slow every input down; large blocks streamed). A damaged archive
// fails with a format error; a sound one gives exactly the bytes its blocks
// promise.
#include "FuzzCheck.hpp"
#include "archive/BiffExtractCompressed.hpp"
#include "archive/BiffFormat.hpp"

using namespace trovex;

namespace {

// The sum of the blocks' uncompressed lengths, walking their headers.
std::uint64_t PromisedLength(const std::uint8_t* data, std::size_t size) {
  std::uint64_t total = 0;
  for (std::uint64_t at = 12; at + 8 <= size; at += 8 + LoadU32(data + at + 4)) total += LoadU32(data + at);
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::QuietRun quiet;
  TMemoryStream archive = fuzz::MemoryOf(data, size);
  TMemoryStream plain;
  try {
    fuzz::Require(DecompressBiffBlocks(quiet.run, archive, "fuzz.bif", plain, 1), "no stop, no early end");
  } catch (const EFormatError&) {
    return 0;
  }
  fuzz::Require(plain.Bytes().size() == PromisedLength(data, size), "a sound archive gives what its blocks promise");
  return 0;
}

#include <gtest/gtest.h>

#include <stdexcept>

#include "archive/CompressedBiffPipeline.hpp"

namespace trovex {
namespace {

// Doubles every byte; fails on a block whose first byte is 0xFF.
class TDoubler : public TBlockCoder {
 public:
  void Code(TCodedBlock& block) override {
    if (!block.input.empty() && block.input[0] == 0xFF) throw std::runtime_error("bad block");
    block.output.clear();
    for (unsigned char byte : block.input) block.output.push_back(static_cast<unsigned char>(byte * 2));
  }
};

std::vector<unsigned char> RunBlocks(unsigned threads, std::size_t blocks, std::size_t failAt, std::string* error) {
  std::vector<unsigned char> written;
  TBlockPipeline pipeline(
      threads, [] { return std::make_unique<TDoubler>(); },
      [&written](const TCodedBlock& block) {
        written.insert(written.end(), block.output.begin(), block.output.end());
      });
  try {
    for (std::size_t i = 0; i < blocks; ++i) {
      pipeline.Submit([i, failAt](TCodedBlock& block) {
        block.input.assign(1 + i % 7, static_cast<unsigned char>(i == failAt ? 0xFF : i % 100));
      });
    }
    pipeline.Drain();
  } catch (const std::runtime_error& e) {
    *error = e.what();
  }
  return written;
}

TEST(BlockPipeline, WritesInSubmissionOrderWhateverTheThreadCount) {
  std::string error;
  std::vector<unsigned char> expected;
  for (std::size_t i = 0; i < 500; ++i)
    expected.insert(expected.end(), 1 + i % 7, static_cast<unsigned char>(i % 100 * 2));
  const auto single = RunBlocks(1, 500, 1000, &error);
  EXPECT_EQ(single, expected);
  for (unsigned threads : {2u, 3u, 8u}) EXPECT_EQ(RunBlocks(threads, 500, 1000, &error), single) << threads;
  EXPECT_TRUE(error.empty());
}

TEST(BlockPipeline, AFailedBlockStopsTheOutputJustBeforeIt) {
  for (unsigned threads : {1u, 4u}) {
    std::string error;
    const auto written = RunBlocks(threads, 300, 100, &error);
    EXPECT_EQ(error, "bad block");
    EXPECT_EQ(written, RunBlocks(1, 100, 1000, &error));
  }
}

}  // namespace
}  // namespace trovex

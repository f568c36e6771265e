// The blocks of a compressed archive are independent zlib streams, so they are
// coded on several threads at once while the caller's thread reads their
// inputs and writes their outputs in file order. A fixed number of blocks is
// in flight, and the output is byte for byte what one thread would write.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/Stream.hpp"

namespace trovex {

struct TCodedBlock {
  std::vector<unsigned char> input;
  std::vector<unsigned char> output;
};

// Codes one block's input into its output; each thread has its own coder.
class TBlockCoder {
 public:
  virtual ~TBlockCoder() = default;
  virtual void Code(TCodedBlock& block) = 0;
};
using BlockCoderFactory = std::function<std::unique_ptr<TBlockCoder>()>;
// Takes the coded blocks, in the order they were submitted.
using BlockSink = std::function<void(const TCodedBlock& block)>;

// Level 9 compression of the input; decompression of the input into an output
// already sized to the block's stored uncompressed length.
std::unique_ptr<TBlockCoder> MakeBlockCompressor();
std::unique_ptr<TBlockCoder> MakeBlockDecompressor();

// The number of threads to code on: the machine's cores.
unsigned BlockThreads();

class TBlockPipeline {
 public:
  // threads counts the caller's thread, which codes too while it waits.
  TBlockPipeline(unsigned threads, const BlockCoderFactory& makeCoder, BlockSink sink);
  // Abandons blocks not yet written and waits for the other threads.
  ~TBlockPipeline();
  TBlockPipeline(const TBlockPipeline&) = delete;
  TBlockPipeline& operator=(const TBlockPipeline&) = delete;

  // Queues one block whose input `fill` loads, first writing finished blocks
  // while all slots are taken. A block whose coding failed rethrows its error
  // here or in Drain when its turn to be written comes.
  void Submit(const std::function<void(TCodedBlock& block)>& fill);
  // Codes and writes every queued block.
  void Drain();

 private:
  struct Slot {
    TCodedBlock block;
    std::exception_ptr error;
    bool done = false;
  };
  void WorkerLoop(TBlockCoder& coder);
  void CodeClaimed(std::size_t index, TBlockCoder& coder);
  // Writes the oldest block if it is done, else codes a waiting block, else waits.
  void Advance();

  std::vector<Slot> slots_;
  std::unique_ptr<TBlockCoder> ownCoder_;
  std::vector<std::unique_ptr<TBlockCoder>> coders_;
  BlockSink sink_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t submitted_ = 0;  // blocks handed in (caller only)
  std::size_t claimed_ = 0;    // blocks taken by a coder (under mutex_)
  std::size_t written_ = 0;    // blocks given to the sink (caller only)
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

// Collects small writes into large ones.
class TBlockOutput {
 public:
  explicit TBlockOutput(TStream& dest) : dest_(dest) { buffer_.reserve(kCapacity); }
  void Write(const void* data, std::size_t count);
  void WriteU32(std::uint32_t value);
  void Flush();

 private:
  static constexpr std::size_t kCapacity = 1 << 20;
  TStream& dest_;
  std::vector<unsigned char> buffer_;
};

}  // namespace trovex

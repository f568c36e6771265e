#include "archive/CompressedBiffPipeline.hpp"

#include <algorithm>

#include "compress/Zlib.hpp"

namespace trovex {

namespace {

// Slots per coding thread: enough that no thread waits for the slowest block.
constexpr std::size_t kSlotsPerThread = 8;
constexpr unsigned kMaxThreads = 16;

class TBlockCompressor : public TBlockCoder {
 public:
  void Code(TCodedBlock& block) override { compressor_.Compress(block.input.data(), block.input.size(), block.output); }

 private:
  TBufferCompressor compressor_{cmlBest};
};

class TBlockDecompressor : public TBlockCoder {
 public:
  void Code(TCodedBlock& block) override {
    decompressor_.Decompress(block.input.data(), block.input.size(), block.output.data(), block.output.size());
  }

 private:
  TBufferDecompressor decompressor_;
};

}  // namespace

std::unique_ptr<TBlockCoder> MakeBlockCompressor() { return std::make_unique<TBlockCompressor>(); }
std::unique_ptr<TBlockCoder> MakeBlockDecompressor() { return std::make_unique<TBlockDecompressor>(); }

unsigned BlockThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads); }

TBlockPipeline::TBlockPipeline(unsigned threads, const BlockCoderFactory& makeCoder, BlockSink sink)
    : slots_(kSlotsPerThread * std::max(threads, 1u)), ownCoder_(makeCoder()), sink_(std::move(sink)) {
  for (unsigned i = 1; i < threads; ++i) coders_.push_back(makeCoder());
  for (auto& coder : coders_) workers_.emplace_back([this, &coder] { WorkerLoop(*coder); });
}

TBlockPipeline::~TBlockPipeline() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (auto& worker : workers_) worker.join();
}

void TBlockPipeline::WorkerLoop(TBlockCoder& coder) {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || claimed_ < submitted_; });
    if (stopping_) return;
    const std::size_t index = claimed_++;
    lock.unlock();
    CodeClaimed(index, coder);
    lock.lock();
  }
}

void TBlockPipeline::CodeClaimed(std::size_t index, TBlockCoder& coder) {
  Slot& slot = slots_[index % slots_.size()];
  try {
    coder.Code(slot.block);
  } catch (...) {
    slot.error = std::current_exception();
  }
  {
    std::lock_guard lock(mutex_);
    slot.done = true;
  }
  changed_.notify_all();
}

void TBlockPipeline::Advance() {
  Slot& oldest = slots_[written_ % slots_.size()];
  std::unique_lock lock(mutex_);
  if (oldest.done) {
    lock.unlock();
    if (oldest.error) std::rethrow_exception(oldest.error);
    sink_(oldest.block);
    ++written_;
    return;
  }
  if (claimed_ < submitted_) {
    const std::size_t index = claimed_++;
    lock.unlock();
    CodeClaimed(index, *ownCoder_);
    return;
  }
  changed_.wait(lock, [&oldest] { return oldest.done; });
}

void TBlockPipeline::Submit(const std::function<void(TCodedBlock& block)>& fill) {
  while (submitted_ - written_ == slots_.size()) Advance();
  Slot& slot = slots_[submitted_ % slots_.size()];
  fill(slot.block);
  {
    std::lock_guard lock(mutex_);
    slot.done = false;
    slot.error = nullptr;
    ++submitted_;
  }
  changed_.notify_one();
}

void TBlockPipeline::Drain() {
  while (written_ < submitted_) Advance();
}

void TBlockOutput::Write(const void* data, std::size_t count) {
  if (buffer_.size() + count > kCapacity) Flush();
  if (count >= kCapacity) {
    dest_.WriteBuffer(data, count);
    return;
  }
  const auto* bytes = static_cast<const unsigned char*>(data);
  buffer_.insert(buffer_.end(), bytes, bytes + count);
}

void TBlockOutput::WriteU32(std::uint32_t value) {
  unsigned char bytes[4];
  StoreU32(bytes, value);
  Write(bytes, sizeof bytes);
}

void TBlockOutput::Flush() {
  dest_.WriteBuffer(buffer_.data(), buffer_.size());
  buffer_.clear();
}

}  // namespace trovex

#include "archive/BiffExtractPipeline.hpp"

#include <algorithm>
#include <chrono>

namespace trovex {

namespace {

// Slots per thread: enough that no thread waits for the slowest job.
constexpr std::size_t kSlotsPerThread = 8;
constexpr unsigned kMaxThreads = 16;
// How long the caller waits for a job before it calls the idle routine.
constexpr std::chrono::milliseconds kIdleInterval(20);

}  // namespace

unsigned PipelineThreads() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads); }

TOrderedPipeline::TOrderedPipeline(unsigned threads) : slots_(kSlotsPerThread * std::max(threads, 1u)) {
  for (unsigned thread = 1; thread < threads; ++thread) workers_.emplace_back([this, thread] { WorkerLoop(thread); });
}

TOrderedPipeline::~TOrderedPipeline() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (auto& worker : workers_) worker.join();
}

void TOrderedPipeline::WorkerLoop(unsigned thread) {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || claimed_ < submitted_; });
    if (stopping_) return;
    const std::size_t index = claimed_++;
    lock.unlock();
    RunClaimed(index, thread);
    lock.lock();
  }
}

void TOrderedPipeline::RunClaimed(std::size_t index, unsigned thread) {
  Slot& slot = slots_[index % slots_.size()];
  try {
    slot.job.work(thread);
  } catch (...) {
    slot.error = std::current_exception();
  }
  {
    std::lock_guard lock(mutex_);
    slot.done = true;
  }
  changed_.notify_all();
}

void TOrderedPipeline::Advance() {
  Slot& oldest = slots_[reported_ % slots_.size()];
  std::unique_lock lock(mutex_);
  if (oldest.done) {
    lock.unlock();
    if (oldest.error) std::rethrow_exception(oldest.error);
    oldest.job.report();
    oldest.job = {};
    ++reported_;
    return;
  }
  if (claimed_ < submitted_) {
    const std::size_t index = claimed_++;
    lock.unlock();
    RunClaimed(index, 0);
    return;
  }
  if (!idle_) return changed_.wait(lock, [&oldest] { return oldest.done; });
  if (changed_.wait_for(lock, kIdleInterval, [&oldest] { return oldest.done; })) return;
  lock.unlock();
  idle_();
}

void TOrderedPipeline::Submit(TOrderedJob job) {
  while (submitted_ - reported_ == slots_.size()) Advance();
  Slot& slot = slots_[submitted_ % slots_.size()];
  slot.job = std::move(job);
  {
    std::lock_guard lock(mutex_);
    slot.done = false;
    slot.error = nullptr;
    ++submitted_;
  }
  changed_.notify_one();
}

void TOrderedPipeline::Drain() {
  while (reported_ < submitted_) Advance();
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

// Jobs run on several threads at once while their results are handed on in
// order on the caller's thread: the archive handlers write many independent
// files or blocks this way. A fixed number of jobs is in flight, and whatever
// the number of threads, the reports come in the order of submission.
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

struct TOrderedJob {
  // Runs on one of the pipeline's threads; thread (0 for the caller's own)
  // lets the job use state kept per thread.
  std::function<void(unsigned thread)> work;
  // Runs on the caller's thread, in submission order, after the work.
  std::function<void()> report;
};

// The number of threads to work on: the machine's cores.
unsigned PipelineThreads();

class TOrderedPipeline {
 public:
  // threads counts the caller's thread, which works too while it waits.
  explicit TOrderedPipeline(unsigned threads);
  // Drops the jobs not yet reported and waits for the running ones.
  ~TOrderedPipeline();
  TOrderedPipeline(const TOrderedPipeline&) = delete;
  TOrderedPipeline& operator=(const TOrderedPipeline&) = delete;

  unsigned Threads() const { return static_cast<unsigned>(workers_.size()) + 1; }
  // Queues a job, first reporting finished jobs while all slots are taken.
  // A job whose work failed rethrows its error, instead of reporting, when
  // its turn comes (here or in Drain).
  void Submit(TOrderedJob job);
  // Works off and reports every queued job.
  void Drain();
  // Called now and then on the caller's thread while it waits for a job of
  // another thread, so that the window stays responsive then too.
  void WhileWaiting(std::function<void()> idle) { idle_ = std::move(idle); }

 private:
  struct Slot {
    TOrderedJob job;
    std::exception_ptr error;
    bool done = false;
  };
  void WorkerLoop(unsigned thread);
  void RunClaimed(std::size_t index, unsigned thread);
  // Reports the oldest job if it is done, else works on a waiting one, else waits.
  void Advance();

  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t submitted_ = 0;  // jobs queued (caller only)
  std::size_t claimed_ = 0;    // jobs taken by a thread (under mutex_)
  std::size_t reported_ = 0;   // jobs reported (caller only)
  bool stopping_ = false;
  std::function<void()> idle_;
  std::vector<std::thread> workers_;
};

// One T per pipeline thread, made on first use by the thread that uses it.
template <class T>
class TPerThread {
 public:
  TPerThread(unsigned threads, std::function<std::unique_ptr<T>()> make) : items_(threads), make_(std::move(make)) {}
  T& operator[](unsigned thread) {
    auto& item = items_[thread];
    if (!item) item = make_();
    return *item;
  }

 private:
  std::vector<std::unique_ptr<T>> items_;
  std::function<std::unique_ptr<T>()> make_;
};

// One block of a compressed archive: its plain and its compressed bytes.
struct TCodedBlock {
  std::vector<unsigned char> plain;
  std::vector<unsigned char> packed;
};

// Collects small writes into large ones.
class TBlockOutput {
 public:
  explicit TBlockOutput(TStream& dest) : dest_(dest) {}
  void Write(const void* data, std::size_t count);
  void WriteU32(std::uint32_t value);
  void Flush();

 private:
  static constexpr std::size_t kCapacity = 1 << 20;
  TStream& dest_;
  std::vector<unsigned char> buffer_;
};

}  // namespace trovex

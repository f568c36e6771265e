#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "archive/BiffExtractPipeline.hpp"

namespace trovex {
namespace {

// Jobs that double their number and fail at failAt; the reports collect the
// results in the order they are handed on.
std::vector<int> RunJobs(unsigned threads, int jobs, int failAt, std::string* error) {
  std::vector<int> reported;
  TOrderedPipeline pipeline(threads);
  try {
    for (int i = 0; i < jobs; ++i) {
      auto result = std::make_shared<int>();
      pipeline.Submit({[i, failAt, result, threads](unsigned thread) {
                         EXPECT_LT(thread, std::max(threads, 1u));
                         if (i == failAt) throw std::runtime_error("bad job");
                         *result = 2 * i;
                       },
                       [result, &reported] { reported.push_back(*result); }});
    }
    pipeline.Drain();
  } catch (const std::runtime_error& e) {
    *error = e.what();
  }
  return reported;
}

std::vector<int> Doubles(int count) {
  std::vector<int> values;
  for (int i = 0; i < count; ++i) values.push_back(2 * i);
  return values;
}

// The caller waiting for another thread's job keeps calling the idle
// routine (the window's event pump), so that a press then is handled.
TEST(OrderedPipeline, TheWaitForOtherThreadsCallsTheIdleRoutine) {
  TOrderedPipeline pipeline(2);
  std::atomic<bool> started{false};
  std::atomic<bool> release{false};
  int idleCalls = 0;
  pipeline.WhileWaiting([&] {
    if (++idleCalls == 3) release = true;
  });
  bool reported = false;
  pipeline.Submit({[&](unsigned) {
                     started = true;
                     while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                   },
                   [&reported] { reported = true; }});
  // The other thread has the job; the caller can only wait for it.
  while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  pipeline.Drain();
  EXPECT_EQ(idleCalls, 3);
  EXPECT_TRUE(reported);
}

TEST(OrderedPipeline, ReportsInSubmissionOrderWhateverTheThreadCount) {
  for (unsigned threads : {1u, 2u, 3u, 8u}) {
    std::string error;
    EXPECT_EQ(RunJobs(threads, 500, -1, &error), Doubles(500)) << threads;
    EXPECT_TRUE(error.empty());
  }
}

TEST(OrderedPipeline, AFailedJobStopsTheReportsJustBeforeIt) {
  for (unsigned threads : {1u, 4u}) {
    std::string error;
    EXPECT_EQ(RunJobs(threads, 300, 100, &error), Doubles(100));
    EXPECT_EQ(error, "bad job");
  }
}

}  // namespace
}  // namespace trovex

#include "runtime/core/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace korvex {
namespace {

using namespace std::chrono_literals;

TEST(WorkerThreads, JoinIsBoundedAndClosedTrackersStartNothing) {
  WorkerThreads workers;
  std::atomic<bool> release{false};
  std::atomic<int> ran{0};
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(workers.Start([&] { ++ran; }));
  ASSERT_TRUE(workers.Start([&] {
    while (!release) std::this_thread::sleep_for(1ms);
  }));
  EXPECT_FALSE(workers.JoinAll(30ms));  // one is still stuck
  release = true;
  EXPECT_TRUE(workers.JoinAll(5s));
  EXPECT_EQ(ran, 8);
  EXPECT_EQ(workers.Running(), 0);
  workers.Close();
  EXPECT_FALSE(workers.Start([&] { ++ran; }));
  EXPECT_TRUE(workers.JoinAll(0ms));
}

TEST(WorkerThreads, ThreadsStartedFromWorkersAreTrackedToo) {
  WorkerThreads workers;
  std::atomic<int> depth{0};
  ASSERT_TRUE(workers.Start([&] {
    ++depth;
    workers.Start([&] {
      std::this_thread::sleep_for(20ms);
      ++depth;
    });
  }));
  EXPECT_TRUE(workers.JoinAll(5s));
  EXPECT_EQ(depth, 2);
}

}  // namespace
}  // namespace korvex

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/transfer/transfer.h"
#include "runtime/inet/http_read.h"
#include "tests/fixtures/loopback_server.h"

namespace korvex {

using base::Bytes;
using namespace transfer;  // NOLINT(google-build-using-namespace)
namespace {

TEST(HttpReadThreads, ConcurrentReadsAllSucceedAndShareConnections) {
  pixaroo::testing::LoopbackServer server;
  for (int i = 0; i < 4; ++i) {
    server.AddPage("/p" + std::to_string(i), "body " + std::to_string(i));
  }
  constexpr int kThreads = 6;
  constexpr int kReadsEach = 15;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kReadsEach; ++i) {
        const int page = (t + i) % 4;
        const Bytes b = HttpRead(server.Url("/p" + std::to_string(page)));
        if (std::string(b.begin(), b.end()) != "body " + std::to_string(page)) ++wrong;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(server.RequestCount(), static_cast<std::size_t>(kThreads * kReadsEach));
  EXPECT_LT(server.ConnectionCount(), static_cast<std::size_t>(kThreads * kReadsEach));
  CloseIdleConnections();
}

}  // namespace
}  // namespace korvex

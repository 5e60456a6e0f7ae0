#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "program/net/web_request.h"
#include "platform/transfer/transfer.h"
#include "platform/transfer/transfer_limits.h"
#include "tests/fixtures/loopback_server.h"

namespace pixaroo {
namespace {

using namespace std::chrono_literals;

TEST(WebRequestThreads, ConcurrentCallsAreIndependent) {
  pixaroo::testing::LoopbackServer server;
  server.server().Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
    res.set_header("Set-Cookie", "id=" + req.get_param_value("n") + "; path=/");
    res.set_content("n=" + req.get_param_value("n"), "text/plain");
  });
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        const std::string n = std::to_string(t * 100 + i);
        Text jar = "keep=1";
        const Bytes body = WebRequest({.url = server.Url("/echo?n=" + n), .sendCookies = &jar});
        if (std::string(body.begin(), body.end()) != "n=" + n || jar != "id=" + n + "; keep=1") {
          ++wrong;
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  transfer::CloseIdleConnections();
}

TEST(WebRequestThreads, CancelEndsEveryStalledCallWhileTheServerStillHoldsIt) {
  // No time-out of the transfers comes before the gate's own hold ends: only
  // the cancel can end the calls while the server still holds the answers
  // (without it each call would get "late").
  transfer::SetTransferLimitsForTesting(
      {.noProgressTimeout = 2 * demo::kMaxHold, .deadline = 2 * demo::kMaxHold});
  pixaroo::testing::LoopbackServer server;
  server.Gate().Hold("/stall");  // answered only after the test
  server.AddPage("/stall", "late");
  std::atomic<int> finished{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&] {
      if (WebRequest({.url = server.Url("/stall")}).empty()) ++finished;
    });
  }
  EXPECT_TRUE(server.Gate().WaitUntilWaiting("/stall", 3));
  transfer::CancelAllTransfers();
  for (auto& t : threads) t.join();
  EXPECT_EQ(finished.load(), 3);
  EXPECT_EQ(server.Gate().Waiting("/stall"), 3U) << "the server answered first";
  transfer::ResetTransferCancel();
  transfer::ResetTransferLimits();
}

}  // namespace
}  // namespace pixaroo

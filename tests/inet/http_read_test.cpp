#include "runtime/inet/http_read.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "platform/transfer/transfer.h"
#include "platform/transfer/transfer_limits.h"
#include "tests/fixtures/loopback_server.h"

namespace korvex {

using base::Bytes;
using namespace transfer;  // NOLINT(google-build-using-namespace)
namespace {

using namespace std::chrono_literals;
using pixaroo::testing::LoopbackServer;

std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }

class HttpReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTransferCancel();
    SetTransferLimitsForTesting(
        {.connectTimeout = 2s, .noProgressTimeout = 400ms, .maxBodyBytes = 1 << 20});
  }
  void TearDown() override {
    server_.Release();
    CloseIdleConnections();  // lets the server end its keep-alive waits at once
    ResetTransferLimits();
    ResetTransferCancel();
  }
  LoopbackServer server_;
};

TEST_F(HttpReadTest, FollowsRedirectsAndKeepsErrorBodies) {
  server_.AddPage("/target", "final page");
  server_.AddRedirect("/abs", server_.Url("/rel"), 301);
  server_.AddRedirect("/rel", "/target", 302);  // relative, resolved against /rel
  EXPECT_EQ(AsText(HttpRead(server_.Url("/abs"))), "final page");

  server_.server().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("not here", "text/plain");
  });
  EXPECT_EQ(AsText(HttpRead(server_.Url("/missing"))), "not here");
}

TEST_F(HttpReadTest, EndlessRedirectLoopEndsWithTheLastRedirectBody) {
  server_.AddRedirect("/loop", "/loop", 302, "again");
  EXPECT_EQ(AsText(HttpRead(server_.Url("/loop"))), "again");
  // The first request and ten redirects followed; the eleventh answer is
  // taken as it is.
  EXPECT_EQ(server_.RequestCount(), 11u);
}

TEST_F(HttpReadTest, BodyUpToTheCapArrivesWholeAndLongerOnesGiveNothing) {
  const std::size_t cap = 1 << 20;
  server_.AddLargeBody("/at-cap", cap);
  server_.AddLargeBody("/over-cap", cap + 1);
  const Bytes body = HttpRead(server_.Url("/at-cap"));
  ASSERT_EQ(body.size(), cap);
  EXPECT_EQ(body[0], 'a');
  EXPECT_EQ(body[cap - 1], static_cast<std::uint8_t>('a' + (cap - 1) % 26));
  EXPECT_TRUE(HttpRead(server_.Url("/over-cap")).empty());
}

TEST_F(HttpReadTest, StalledServerTimesOutWithNothing) {
  server_.Gate().Hold("/slow-head");  // answered only after the test
  server_.AddPage("/slow-head", "late");
  server_.AddStallingBody("/slow-body", 100, 10s);
  for (const char* path : {"/slow-head", "/slow-body"}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(HttpRead(server_.Url(path)).empty()) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << path;
  }
}

TEST_F(HttpReadTest, UnreachableOrMalformedAddressesGiveNothing) {
  EXPECT_TRUE(HttpRead("http://127.0.0.1:1/").empty());
  EXPECT_TRUE(HttpRead("").empty());
  EXPECT_TRUE(HttpRead("ftp://127.0.0.1/x").empty());
  EXPECT_TRUE(HttpRead("file:///etc/passwd").empty());
  EXPECT_TRUE(HttpRead("http://[::1").empty());
}

TEST_F(HttpReadTest, UnsafeBytesInTheAddressAreSentEncoded) {
  server_.server().Get(".*", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(req.target, "text/plain");
  });
  // "/a b" and the GBK bytes of 更新.
  EXPECT_EQ(AsText(HttpRead(server_.Url("/a b\xB8\xFC\xD0\xC2"))), "/a%20b%B8%FC%D0%C2");
  // ASCII that may follow a GBK lead byte goes out as it is.
  EXPECT_EQ(AsText(HttpRead(server_.Url("/\xB1\\\x81|{}^`[]\"<>~"))), "/%B1\\%81|{}^`[]\"<>~");
}

TEST_F(HttpReadTest, SequentialReadsReuseOneConnection) {
  server_.AddPage("/p", "page");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(AsText(HttpRead(server_.Url("/p"))), "page");
  EXPECT_EQ(server_.ConnectionCount(), 1u);
}

TEST_F(HttpReadTest, CancelEndsAStalledReadAndRefusesLaterOnesUntilReset) {
  SetTransferLimitsForTesting({.connectTimeout = 2s, .noProgressTimeout = 30s});
  server_.Gate().Hold("/stall");  // answered only after the test
  server_.AddPage("/stall", "late");
  server_.AddPage("/p", "page");
  const auto start = std::chrono::steady_clock::now();
  auto pending = std::async(std::launch::async, [&] { return HttpRead(server_.Url("/stall")); });
  ASSERT_TRUE(server_.Gate().WaitUntilWaiting("/stall"));
  CancelAllTransfers();
  EXPECT_TRUE(pending.get().empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_TRUE(HttpRead(server_.Url("/p")).empty());
  ResetTransferCancel();
  EXPECT_EQ(AsText(HttpRead(server_.Url("/p"))), "page");
}

}  // namespace
}  // namespace korvex

#include "runtime/inet/http_read.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "platform/transfer/transfer.h"
#include "platform/transfer/transfer_limits.h"
#include "tests/fixtures/full_listen_queue.h"
#include "tests/fixtures/loopback_server.h"
#include "tests/fixtures/raw_http_server.h"
#include "tests/fixtures/tls_server.h"

namespace korvex {

using base::Bytes;
using namespace transfer;  // NOLINT(google-build-using-namespace)
namespace {

using namespace std::chrono_literals;
using pixaroo::testing::FullListenQueue;
using pixaroo::testing::LoopbackServer;
using pixaroo::testing::RawHttpServer;
using pixaroo::testing::RawRequest;
using pixaroo::testing::TlsLoopbackServer;

std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }

// Why a read failed; none when a response came.
std::optional<Failure> FailureOf(const base::ErrorOr<HttpResponse, TransferError>& read) {
  if (read.ok()) return std::nullopt;
  return read.error().failure;
}
std::optional<Failure> FailureOf(const std::string& url, ReadKind kind = ReadKind::kPage) {
  return FailureOf(HttpReadResponse(url, kind, nullptr));
}

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

// Made-up names served from loopback: the site, a host under its
// registrable domain and a host of another domain; https on the default
// port goes to `tlsPort`.
void RouteNames(int tlsPort) {
  const std::string tls = "127.0.0.1:" + std::to_string(tlsPort);
  RouteHostsForTesting({"gallery.example:443:" + tls, "www.gallery.example:443:" + tls,
                        "gallery.example::127.0.0.1:", "www.gallery.example::127.0.0.1:",
                        "other.example::127.0.0.1:"});
}

TEST_F(HttpReadTest, RedirectsStayOnTheSiteUpToHttpsNeverBackAndKeepErrorBodies) {
  TlsLoopbackServer tls;
  ASSERT_TRUE(tls.ok());
  TrustCertificatesForTesting(tls.CertificatePem());
  RouteNames(tls.port());
  LoopbackServer elsewhere;  // another port of the same address
  elsewhere.AddPage("/target", "off the site");
  const std::string port = ":" + std::to_string(server_.port());
  server_.AddPage("/target", "final page");
  server_.AddRedirect("/abs", server_.Url("/rel"), 301);
  server_.AddRedirect("/rel", "/target", 302);  // relative, resolved against /rel
  server_.AddRedirect("/to-https", "https://gallery.example/secure");
  server_.AddRedirect("/to-www", "http://www.gallery.example" + port + "/target");
  server_.AddRedirect("/to-port", elsewhere.Url("/target"));
  server_.AddRedirect("/to-name-port", "http://gallery.example:" +
                                           std::to_string(elsewhere.port()) + "/target");
  server_.AddRedirect("/to-other-domain", "http://other.example" + port + "/target");
  server_.AddRedirect("/to-name", "http://gallery.example" + port + "/target");
  server_.AddRedirect("/to-tls-port", tls.Url("/secure"));
  server_.AddRedirect("/to-user", "http://u:p@gallery.example" + port + "/target");
  tls.server().Get("/secure", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("secure", "text/plain");
  });
  tls.server().Get("/to-http", [&](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("http://gallery.example" + port + "/target");
    res.set_content("tls moved", "text/plain");
  });
  const std::string ip = server_.Url("");
  const std::string name = "http://gallery.example" + port;
  const struct {
    std::string url;
    const char* body;  // "": the read failed
  } cases[] = {
      {ip + "/abs", "final page"},
      // http -> https on the same host, the scheme's default port.
      {name + "/to-https", "secure"},
      // Another host under the same registrable domain.
      {name + "/to-www", "final page"},
      // Off the site: another port, another domain, a name after an
      // address, an address's other port, a user part.
      {ip + "/to-port", ""},
      {name + "/to-name-port", ""},
      {name + "/to-other-domain", ""},
      {ip + "/to-name", ""},
      {ip + "/to-tls-port", ""},
      {name + "/to-user", ""},
      // https never falls back to http: the redirect's own body is the answer.
      {"https://gallery.example/to-http", "tls moved"},
  };
  for (const auto& c : cases) {
    const std::size_t before = server_.RequestCount();
    const auto read = HttpReadResponse(c.url, ReadKind::kPage, nullptr);
    EXPECT_EQ(read.ok() ? AsText(read->body) : "", c.body) << c.url;
    if (*c.body == '\0') {
      EXPECT_EQ(FailureOf(read), Failure::kRedirectOffSite) << c.url;
      if (!read.ok()) EXPECT_EQ(read.error().detail.rfind("to http", 0), 0u) << c.url;
    }
    if (c.url.find("/to-www") != std::string::npos || c.url.find("/abs") != std::string::npos) {
      EXPECT_GT(server_.RequestCount(), before + 1) << c.url;  // the hop was followed
    } else if (c.url.starts_with("http:")) {
      EXPECT_EQ(server_.RequestCount(), before + 1) << c.url;  // nothing after the refusal
    }
  }
  EXPECT_EQ(elsewhere.RequestCount(), 0u);
  RouteHostsForTesting({});
  TrustCertificatesForTesting("");
  CloseIdleConnections();  // the TLS server need not wait out the keep-alive

  server_.server().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("not here", "text/plain");
  });
  EXPECT_EQ(AsText(HttpRead(server_.Url("/missing"))), "not here");
  const auto missing = HttpReadResponse(server_.Url("/missing"), ReadKind::kPage, nullptr);
  ASSERT_TRUE(missing.ok());
  EXPECT_EQ(missing->status, 404);
  EXPECT_EQ(AsText(missing->body), "not here");
}

TEST_F(HttpReadTest, EndlessRedirectLoopEndsWithTheLastRedirectBody) {
  server_.AddRedirect("/loop", "/loop", 302, "again");
  EXPECT_EQ(AsText(HttpRead(server_.Url("/loop"))), "again");
  // The first request and ten redirects followed; the eleventh answer is
  // taken as it is.
  EXPECT_EQ(server_.RequestCount(), 11u);
}

TEST_F(HttpReadTest, BodyUpToItsKindsCapArrivesWholeAndLongerOnesOrLongHeadersFail) {
  // The page cap as shipped; the photo cap lowered to keep the test small.
  const std::size_t photoCap = kMaxPageBodyBytes * 2;
  SetTransferLimitsForTesting(
      {.connectTimeout = 2s, .noProgressTimeout = 2s, .maxBodyBytes = photoCap});
  server_.AddLargeBody("/page-cap", kMaxPageBodyBytes);
  server_.AddLargeBody("/over-page-cap", kMaxPageBodyBytes + 1);
  server_.AddLargeBody("/photo-cap", photoCap);
  server_.AddLargeBody("/over-photo-cap", photoCap + 1);
  const Bytes body = HttpRead(server_.Url("/page-cap"));
  ASSERT_EQ(body.size(), kMaxPageBodyBytes);
  EXPECT_EQ(body[0], 'a');
  EXPECT_EQ(body.back(), static_cast<std::uint8_t>('a' + (kMaxPageBodyBytes - 1) % 26));
  EXPECT_TRUE(HttpRead(server_.Url("/over-page-cap")).empty());
  EXPECT_EQ(FailureOf(server_.Url("/over-page-cap")), Failure::kBodyOverCap);
  EXPECT_EQ(HttpRead(server_.Url("/over-page-cap"), ReadKind::kPhoto, nullptr).size(),
            kMaxPageBodyBytes + 1);
  EXPECT_EQ(HttpRead(server_.Url("/photo-cap"), ReadKind::kPhoto, nullptr).size(), photoCap);
  EXPECT_EQ(FailureOf(server_.Url("/over-photo-cap"), ReadKind::kPhoto), Failure::kBodyOverCap);
  EXPECT_LE(kMaxPageBodyBytes, 4u << 20);
  // A stated length is taken at once only within the cap: a server's claim
  // of more (or of nothing, or a negative one) takes no room ahead.
  EXPECT_EQ(BodyBytesToReserve(static_cast<long long>(photoCap), photoCap), photoCap);
  EXPECT_EQ(BodyBytesToReserve(static_cast<long long>(photoCap) + 1, photoCap), 0u);
  EXPECT_EQ(BodyBytesToReserve(1LL << 50, photoCap), 0u);
  EXPECT_EQ(BodyBytesToReserve(-1, photoCap), 0u);
  EXPECT_EQ(BodyBytesToReserve(0, photoCap), 0u);

  // A body without a length is stopped as it passes the cap.
  server_.server().Get(
      "/over-cap-unannounced", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](std::size_t, httplib::DataSink& sink) {
          const std::string chunk(64 << 10, 'z');
          for (std::size_t sent = 0; sent <= kMaxPageBodyBytes && sink.is_writable();
               sent += chunk.size()) {
            if (!sink.write(chunk.data(), chunk.size())) return false;
          }
          sink.done();
          return true;
        });
      });
  EXPECT_EQ(FailureOf(server_.Url("/over-cap-unannounced")), Failure::kBodyOverCap);

  // One response's header block over its cap fails the read too. Lines of
  // 40 KiB, each well under what curl takes in one line.
  RawHttpServer raw([](const RawRequest&) {
    std::string lines;
    while (lines.size() <= kMaxHeaderBlockBytes)
      lines += "X-Long: " + std::string(40 << 10, 'h') + "\r\n";
    return RawHttpServer::Response("HTTP/1.1 200 OK", lines, "ok");
  });
  EXPECT_EQ(FailureOf(raw.Url("/")), Failure::kHeadersOverCap);
}

TEST_F(HttpReadTest, OneDeadlineAcrossRedirects) {
  // Each hop trickles its redirect body for about 0.4 s, well inside the
  // deadline on its own; ten of them are not.
  SetTransferLimitsForTesting(
      {.connectTimeout = 2s, .noProgressTimeout = 10s, .maxBodyBytes = 1 << 20, .deadline = 1s});
  auto hops = std::make_shared<std::atomic<int>>(0);
  server_.server().Get(R"(/hop/(\d+))", [this, hops](const httplib::Request& req,
                                                      httplib::Response& res) {
    const int n = std::stoi(req.matches[1]);
    ++*hops;
    if (n == 10) {
      res.set_content("arrived", "text/plain");
      return;
    }
    res.status = 302;
    res.set_header("Location", "/hop/" + std::to_string(n + 1));
    res.set_chunked_content_provider("text/plain", [this](std::size_t, httplib::DataSink& sink) {
      for (int i = 0; i < 8 && sink.is_writable(); ++i) {
        if (!sink.write("x", 1)) return false;
        server_.Stall(50ms);
      }
      sink.done();
      return true;
    });
  });
  EXPECT_EQ(FailureOf(server_.Url("/hop/1")), Failure::kDeadlinePassed);
  EXPECT_LT(hops->load(), 10);
}

TEST_F(HttpReadTest, StalledOrTricklingServerTimesOutWithNothing) {
  // Both stalls last until the test ends (or the gate's own long hold): a
  // read that comes back while the server still stalls was ended by the
  // no-progress time-out, not by the server.
  server_.Gate().Hold("/slow-head");
  server_.AddPage("/slow-head", "late");
  // Counts the body's answers under way; shared, as the server's thread
  // may outlive a failing read.
  auto bodyAnswers = std::make_shared<std::atomic<int>>(0);
  server_.server().Get(
      "/slow-body", [this, bodyAnswers](const httplib::Request&, httplib::Response& res) {
        ++*bodyAnswers;
        res.set_content_provider(
            101, "application/octet-stream",
            [this, bodyAnswers](std::size_t offset, std::size_t, httplib::DataSink& sink) {
              if (offset == 0) return sink.write(std::string(100, 'x').data(), 100);
              server_.Stall(pixaroo::demo::kMaxHold);
              return false;  // ends the response short
            },
            [bodyAnswers](bool) { --*bodyAnswers; });
      });
  EXPECT_EQ(FailureOf(server_.Url("/slow-head")), Failure::kNoProgress);
  EXPECT_EQ(server_.Gate().Waiting("/slow-head"), 1U) << "the server answered first";
  EXPECT_EQ(FailureOf(server_.Url("/slow-body")), Failure::kNoProgress);
  EXPECT_EQ(bodyAnswers->load(), 1) << "the server ended the body first";

  // A byte every 50 ms never trips the no-progress time-out; the whole
  // transfer's deadline ends it.
  // Shared: the server's thread may still be writing when the test ends.
  auto sent = std::make_shared<std::atomic<int>>(0);
  server_.server().Get("/trickle", [this, sent](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [this, sent](std::size_t,
                                                                httplib::DataSink& sink) {
      for (int i = 0; i < 400 && sink.is_writable(); ++i) {
        if (!sink.write("x", 1)) return false;
        ++*sent;
        server_.Stall(50ms);
      }
      sink.done();
      return true;
    });
  });
  SetTransferLimitsForTesting(
      {.connectTimeout = 2s, .noProgressTimeout = 10s, .maxBodyBytes = 1 << 20, .deadline = 1s});
  EXPECT_EQ(FailureOf(server_.Url("/trickle")), Failure::kDeadlinePassed);
  // The body was moving, and not yet whole, when the deadline came.
  const int sentAtEnd = sent->load();
  EXPECT_GT(sentAtEnd, 0);
  EXPECT_LT(sentAtEnd, 400);
}

TEST_F(HttpReadTest, UnreachableOrMalformedAddressesFailWithTheirReason) {
  EXPECT_TRUE(HttpRead("http://127.0.0.1:1/").empty());
  EXPECT_EQ(FailureOf("http://127.0.0.1:1/"), Failure::kConnectFailed);
  for (const char* url : {"", "ftp://127.0.0.1/x", "file:///etc/passwd", "http://[::1"}) {
    EXPECT_TRUE(HttpRead(url).empty()) << url;
    EXPECT_EQ(FailureOf(url), Failure::kBadAddress) << url;
  }

  FullListenQueue full;
  ASSERT_TRUE(full.ok());
  SetTransferLimitsForTesting({.connectTimeout = 300ms, .noProgressTimeout = 10s});
  const auto read = HttpReadResponse(full.Url(), ReadKind::kPage, nullptr);
  EXPECT_EQ(FailureOf(read), Failure::kConnectTimedOut);
  if (!read.ok()) EXPECT_EQ(Describe(read.error()).rfind("connecting timed out: ", 0), 0u);
}

TEST_F(HttpReadTest, UnsafeBytesInTheAddressAreSentEncoded) {
  server_.server().Get(".*", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(req.target, "text/plain");
  });
  // "/a b" and the GBK bytes of 更新.
  EXPECT_EQ(AsText(HttpRead(server_.Url("/a b\xB8\xFC\xD0\xC2"))), "/a%20b%B8%FC%D0%C2");
  // ASCII that may follow a GBK lead byte goes out as it is.
  EXPECT_EQ(AsText(HttpRead(server_.Url("/\xB1\\\x81|{}^`[]\"<>~"))), "/%B1\\%81|{}^`[]\"<>~");

  // Addresses are capped in their encoded length: one byte over is never sent.
  const std::string front = server_.Url("/");
  const std::string atCap = front + std::string(kMaxUrlBytes - front.size(), 'a');
  EXPECT_EQ(HttpRead(atCap).size(), atCap.size() - front.size() + 1);
  const std::size_t sent = server_.RequestCount();
  EXPECT_EQ(FailureOf(atCap + "a"), Failure::kBadAddress);
  EXPECT_EQ(FailureOf(front + std::string(kMaxUrlBytes / 3, '\xB8')), Failure::kBadAddress);
  EXPECT_EQ(server_.RequestCount(), sent);
}

TEST_F(HttpReadTest, SequentialReadsReuseOneConnection) {
  server_.AddPage("/p", "page");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(AsText(HttpRead(server_.Url("/p"))), "page");
  EXPECT_EQ(server_.ConnectionCount(), 1u);
}

TEST_F(HttpReadTest, CancelEndsAStalledReadAndRefusesLaterOnesUntilReset) {
  // No time-out of the transfer comes before the gate's own hold ends: only
  // the cancel can end the read while the server still holds the answer
  // (without it the read would get "late").
  SetTransferLimitsForTesting({.connectTimeout = 2s,
                               .noProgressTimeout = 2 * pixaroo::demo::kMaxHold,
                               .deadline = 2 * pixaroo::demo::kMaxHold});
  server_.Gate().Hold("/stall");  // answered only after the test
  server_.AddPage("/stall", "late");
  server_.AddPage("/p", "page");
  auto pending = std::async(std::launch::async, [&] { return FailureOf(server_.Url("/stall")); });
  ASSERT_TRUE(server_.Gate().WaitUntilWaiting("/stall"));
  CancelAllTransfers();
  EXPECT_EQ(pending.get(), Failure::kCancelled);
  EXPECT_EQ(server_.Gate().Waiting("/stall"), 1U) << "the server answered first";
  EXPECT_EQ(FailureOf(server_.Url("/p")), Failure::kCancelled);
  EXPECT_TRUE(HttpRead(server_.Url("/p")).empty());
  ResetTransferCancel();
  EXPECT_EQ(AsText(HttpRead(server_.Url("/p"))), "page");
}

}  // namespace
}  // namespace korvex

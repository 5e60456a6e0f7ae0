#include "program/net/web_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/transfer/transfer.h"
#include "platform/wininet/wininet.h"
#include "tests/fixtures/loopback_server.h"
#include "tests/fixtures/raw_http_server.h"
#include "tests/fixtures/tls_server.h"

namespace pixaroo {
namespace {

using pixaroo::testing::LoopbackServer;
using pixaroo::testing::RawHttpServer;
using pixaroo::testing::RawRequest;

std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }

// The request head the server must receive: request line, Host, then
// `lines` (each without its CR LF), then the blank line.
std::string Head(const std::string& requestLine, const RawHttpServer& server,
                 const std::vector<std::string>& lines) {
  std::string head = requestLine + "\r\nHost: " + server.HostPort() + "\r\n";
  for (const auto& l : lines) head += l + "\r\n";
  return head + "\r\n";
}

// The agent and header block every request without headers of its own
// carries, written out as the system defines them.
constexpr const char* kAgent = "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)";
constexpr const char* kAgentLine =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)";

// The default header block for `url`: five lines joined by CR LF, none after
// the last.
std::string DefaultBlock(const std::string& url) {
  return "Referer: " + url +
         "\r\n"
         "Accept: */*\r\n"
         "Accept-Language: zh-cn\r\n"
         "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)\r\n"
         "Content-Type: application/x-www-form-urlencoded";
}

std::vector<std::string> DefaultLines(const std::string& url) {
  return {"Referer: " + url, "Accept: */*", "Accept-Language: zh-cn", kAgentLine,
          "Content-Type: application/x-www-form-urlencoded"};
}

class WebRequestTest : public ::testing::Test {
 protected:
  void TearDown() override {
    wininet::SetTestHooks({});
    transfer::CloseIdleConnections();
  }
  const RawRequest& Only() {
    requests_ = server_.Requests();
    EXPECT_EQ(requests_.size(), 1u);
    if (requests_.empty()) requests_.emplace_back();
    return requests_.front();
  }
  RawHttpServer server_;
  std::vector<RawRequest> requests_;
};

TEST_F(WebRequestTest, UrlOnlySendsTheDefaultBlockAndDescribesTheResponse) {
  const std::string url = server_.Url("/list_1.html?x=1");
  Text headers, raw, redirect, received, jar;
  Bytes postBytes;
  const Bytes body = WebRequest({.url = url,
                                 .sendCookies = &jar,
                                 .receivedCookies = &received,
                                 .headers = &headers,
                                 .redirectUrl = &redirect,
                                 .postBytes = &postBytes,
                                 .rawHeaders = &raw});
  EXPECT_EQ(AsText(body), "ok");
  EXPECT_EQ(Only().head, Head("GET /list_1.html?x=1 HTTP/1.1", server_, DefaultLines(url)));
  EXPECT_EQ(Only().body, "");
  EXPECT_EQ(headers, DefaultBlock(url));
  EXPECT_EQ(raw, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n");
  EXPECT_EQ(redirect, raw);  // no Location line
  EXPECT_EQ(received, "");
  EXPECT_EQ(jar, "");
  EXPECT_TRUE(postBytes.empty());
}

TEST_F(WebRequestTest, BodyComesFromPostTextOnlyWhenPostBytesAreEmpty) {
  const std::string url = server_.Url("/post");
  Bytes postBytes;
  WebRequest({.url = url, .method = 1, .postText = "a=1", .postBytes = &postBytes});
  auto lines = DefaultLines(url);
  lines.push_back("Content-Length: 3");
  EXPECT_EQ(Only().head, Head("POST /post HTTP/1.1", server_, lines));
  EXPECT_EQ(Only().body, "a=1");
  EXPECT_EQ(AsText(postBytes), "a=1");

  // Given bytes win over the text and stay as they were; method 2 is a GET
  // that still carries its body.
  const Bytes given = {'x', 0, 'y'};
  postBytes = given;
  WebRequest({.url = url, .method = 2, .postText = "ignored", .postBytes = &postBytes});
  requests_ = server_.Requests();
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(requests_[1].head, Head("GET /post HTTP/1.1", server_, lines));
  EXPECT_EQ(requests_[1].body, std::string("x\0y", 3));
  EXPECT_EQ(postBytes, given);
}

TEST_F(WebRequestTest, CallerHeadersAreSentVerbatimWithTheirOwnAgent) {
  Text headers = "User-Agent: Spider";
  WebRequest({.url = server_.Url("/a"), .headers = &headers});
  EXPECT_EQ(Only().head, Head("GET /a HTTP/1.1", server_, {"User-Agent: Spider"}));
  EXPECT_EQ(headers, "User-Agent: Spider");

  // Without a User-Agent line the default agent goes out beside them, and
  // no default line joins the caller's text.
  headers = "X-One: 1\r\nX-Two: 2";
  WebRequest({.url = server_.Url("/b"), .headers = &headers});
  requests_ = server_.Requests();
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(requests_[1].head,
            Head("GET /b HTTP/1.1", server_, {kAgentLine, "X-One: 1", "X-Two: 2"}));
  EXPECT_EQ(headers, "X-One: 1\r\nX-Two: 2");
}

TEST_F(WebRequestTest, CookieJarFollowsTheDefaultBlockAndIsSentUnchanged) {
  const std::string url = server_.Url("/c");
  Text jar = "a=1;b=2";
  Text headers;
  WebRequest({.url = url, .sendCookies = &jar, .headers = &headers});
  auto lines = DefaultLines(url);
  lines.push_back("Cookie: a=1;b=2");
  EXPECT_EQ(Only().head, Head("GET /c HTTP/1.1", server_, lines));
  EXPECT_EQ(headers, DefaultBlock(url) + "\r\nCookie: a=1;b=2");
  EXPECT_EQ(jar, "a=1; b=2");  // merged jar
}

TEST_F(WebRequestTest, ResponseCookiesAreMergedIntoTheJar) {
  LoopbackServer server;
  server.AddHeaderPage("/", {{"Set-Cookie", "sid=abc; path=/"},
                             {"Set-Cookie", "bare=1"},
                             {"set-cookie", "lower=1; path=/"},
                             {"Set-Cookie", "old=deleted; expires=Thu, 01 Jan 1970"}});
  Text jar = "old=1; keep = 2";
  Text received;
  EXPECT_EQ(AsText(WebRequest(
                {.url = server.Url("/"), .sendCookies = &jar, .receivedCookies = &received})),
            "ok");
  EXPECT_EQ(received, "sid=abc;;old=deleted;");
  EXPECT_EQ(jar, "sid=abc; keep=2");
  transfer::CloseIdleConnections();
}

TEST_F(WebRequestTest, RedirectTargetComesFromTheLastLocationLine) {
  RawHttpServer server([](const RawRequest& r) {
    if (r.head.starts_with("GET /final"))
      return RawHttpServer::Response("HTTP/1.1 200 OK", "", "final");
    if (r.head.starts_with("GET /both")) {
      return RawHttpServer::Response("HTTP/1.1 302 Found",
                                     "Location: /final\r\nContent-Location: /other\r\n", "moved");
    }
    return RawHttpServer::Response("HTTP/1.1 302 Found", "Location:  http://h.com:81/final \r\n",
                                   "moved");
  });
  Text redirect;
  Text raw;
  EXPECT_EQ(AsText(WebRequest({.url = server.Url("/start"),
                               .redirectUrl = &redirect,
                               .noRedirect = true,
                               .rawHeaders = &raw})),
            "moved");
  EXPECT_EQ(redirect, "http://h.com:81/final");
  EXPECT_TRUE(raw.starts_with("HTTP/1.1 302 Found\r\n")) << raw;

  EXPECT_EQ(AsText(WebRequest(
                {.url = server.Url("/both"), .redirectUrl = &redirect, .noRedirect = true})),
            "moved");
  EXPECT_EQ(redirect, "/other");

  // Followed: the final response has no Location, so the block stands in.
  EXPECT_EQ(AsText(WebRequest(
                {.url = server.Url("/both"), .redirectUrl = &redirect, .rawHeaders = &raw})),
            "final");
  EXPECT_EQ(raw, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
  EXPECT_EQ(redirect, raw);
}

TEST_F(WebRequestTest, SiteMovedToHttpsIsFetchedFromItsNewAddress) {
  testing::TlsLoopbackServer tls;
  ASSERT_TRUE(tls.ok());
  transfer::TrustCertificatesForTesting(tls.CertificatePem());
  tls.server().Get("/list_1.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("secure list", "text/html");
  });
  // The site by name, served from loopback; its https on the default port.
  transfer::RouteHostsForTesting({"gallery.example:443:127.0.0.1:" + std::to_string(tls.port()),
                                  "gallery.example::127.0.0.1:"});
  RawHttpServer moved([&](const RawRequest&) {
    return RawHttpServer::Response("HTTP/1.1 301 Moved Permanently",
                                   "Location: https://gallery.example/list_1.html\r\n", "moved");
  });
  Text raw;
  const Bytes body = WebRequest(
      {.url = "http://gallery.example:" + std::to_string(moved.port()) + "/list_1.html",
       .rawHeaders = &raw});
  transfer::RouteHostsForTesting({});
  transfer::TrustCertificatesForTesting("");
  EXPECT_EQ(AsText(body), "secure list");
  EXPECT_TRUE(raw.starts_with("HTTP/1.1 200")) << raw;
}

TEST_F(WebRequestTest, HeaderBlockLongerThanTheBufferIsStillRead) {
  LoopbackServer server;
  server.AddLongHeaderPage("/", 60, {{"Content-Location", "/next"}, {"Set-Cookie", "k=v; path=/"}});
  Text raw, redirect, jar;
  WebRequest(
      {.url = server.Url("/"), .sendCookies = &jar, .redirectUrl = &redirect, .rawHeaders = &raw});
  EXPECT_GT(raw.size(), 6000u);
  EXPECT_TRUE(raw.starts_with("HTTP/1.1 200 OK\r\n"));
  EXPECT_TRUE(raw.ends_with("\r\n\r\n"));
  EXPECT_EQ(redirect, "/next");
  EXPECT_EQ(jar, "k=v");
  transfer::CloseIdleConnections();
}

TEST_F(WebRequestTest, NoResponseLeavesEmptyTextsAndStillTidiesTheJar) {
  Text raw = "before", redirect = "before", received = "before", jar = " a = 1 ";
  const Bytes body = WebRequest({.url = "http://127.0.0.1:1/x",
                                 .sendCookies = &jar,
                                 .receivedCookies = &received,
                                 .redirectUrl = &redirect,
                                 .rawHeaders = &raw});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(raw, "");
  EXPECT_EQ(redirect, "");
  EXPECT_EQ(received, "");
  EXPECT_EQ(jar, "a=1");
}

TEST_F(WebRequestTest, FailedOpenLeavesEveryCallerVariableUntouched) {
  for (const char* call : {"InternetOpenA", "InternetConnectA", "HttpOpenRequestA"}) {
    SCOPED_TRACE(call);
    wininet::SetTestHooks({.failCall = call});
    Text jar = "j", received = "r", headers = "", redirect = "d", raw = "w";
    Bytes postBytes;
    const Bytes body = WebRequest({.url = server_.Url("/"),
                                   .method = 1,
                                   .postText = "t",
                                   .sendCookies = &jar,
                                   .receivedCookies = &received,
                                   .headers = &headers,
                                   .redirectUrl = &redirect,
                                   .postBytes = &postBytes,
                                   .proxy = "",
                                   .rawHeaders = &raw});
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(jar, "j");
    EXPECT_EQ(received, "r");
    EXPECT_EQ(headers, "");
    EXPECT_EQ(redirect, "d");
    EXPECT_EQ(raw, "w");
    EXPECT_TRUE(postBytes.empty());
  }
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(WebRequestTest, HandlesAreOpenedWithThePlatformArgumentsAndClosedInReverse) {
  std::vector<std::string> calls;
  wininet::SetTestHooks({.trace = [&](const std::string& line) { calls.push_back(line); }});
  Text headers = "User-Agent:  Bot 1 ";
  WebRequest({.url = server_.Url("/p"), .headers = &headers, .noRedirect = true});
  const std::string port = std::to_string(server_.port());
  const std::vector<std::string> expected = {
      "InternetOpenA(Bot 1, 1, , , 0)",
      "InternetConnectA(127.0.0.1, " + port + ", , , 3)",
      "HttpOpenRequestA(GET, /p, HTTP/1.1, 0x80284010)",
      "InternetCloseHandle(request)",
      "InternetCloseHandle(connect)",
      "InternetCloseHandle(internet)",
  };
  EXPECT_EQ(calls, expected);

  calls.clear();
  WebRequest({.url = "HTTPS://127.0.0.1:1/s", .proxy = ""});
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], std::string("InternetOpenA(") + kAgent + ", 3, http=, , 0)");
  EXPECT_EQ(calls[2], "HttpOpenRequestA(GET, /s, HTTP/1.1, 0x80880010)");

  calls.clear();
  WebRequest({.url = server_.Url("/q")});
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[2], "HttpOpenRequestA(GET, /q, HTTP/1.1, 0x80084010)");
}

TEST_F(WebRequestTest, ProxyCarriesPlainHttpRequests) {
  LoopbackServer origin;
  origin.AddPage("/page", "from origin");
  LoopbackServer proxy;
  pixaroo::testing::MakeForwardProxy(proxy);
  EXPECT_EQ(AsText(WebRequest({.url = origin.Url("/page"), .proxy = proxy.HostPort()})),
            "from origin");
  EXPECT_EQ(proxy.RequestCount(), 1u);
  // An empty proxy address selects the proxy form but names no proxy.
  EXPECT_EQ(AsText(WebRequest({.url = origin.Url("/page"), .proxy = ""})), "from origin");
  EXPECT_EQ(proxy.RequestCount(), 1u);
  EXPECT_EQ(origin.RequestCount(), 2u);
  transfer::CloseIdleConnections();
}

TEST_F(WebRequestTest, SequentialRequestsReuseTheConnection) {
  for (int i = 0; i < 4; ++i) EXPECT_EQ(AsText(WebRequest({.url = server_.Url("/r")})), "ok");
  EXPECT_EQ(server_.Requests().size(), 4u);
  EXPECT_EQ(server_.ConnectionCount(), 1u);
}

}  // namespace
}  // namespace pixaroo

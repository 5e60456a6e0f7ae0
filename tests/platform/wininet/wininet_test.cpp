#include "platform/wininet/wininet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/transfer/transfer.h"
#include "platform/transfer/transfer_limits.h"
#include "tests/fixtures/loopback_server.h"
#include "tests/fixtures/raw_http_server.h"
#include "tests/fixtures/tls_server.h"

namespace wininet {
namespace {

using namespace std::chrono_literals;
using pixaroo::testing::LoopbackServer;
using pixaroo::testing::RawHttpServer;
using pixaroo::testing::RawRequest;
using pixaroo::testing::TlsLoopbackServer;

constexpr DWORD kPlainFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES;

// One request's three handles, closed in reverse order.
struct Call {
  HINTERNET internet = nullptr;
  HINTERNET connect = nullptr;
  HINTERNET request = nullptr;
  Call(int port, const char* verb, const char* path, DWORD flags, const char* host = "127.0.0.1",
       const char* agent = "agent") {
    internet = InternetOpenA(agent, INTERNET_OPEN_TYPE_DIRECT, "", "", 0);
    connect = InternetConnectA(internet, host, static_cast<INTERNET_PORT>(port), "", "",
                               INTERNET_SERVICE_HTTP, 0, 0);
    request = HttpOpenRequestA(connect, verb, path, "HTTP/1.1", nullptr, nullptr, flags, 0);
  }
  ~Call() {
    InternetCloseHandle(request);
    InternetCloseHandle(connect);
    InternetCloseHandle(internet);
  }
  BOOL Send(const std::string& headers = "", const std::string& body = "") {
    return HttpSendRequestA(request, headers.c_str(), static_cast<DWORD>(headers.size()),
                            body.empty() ? nullptr : const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size()));
  }
  std::string Body() {
    std::string all;
    char buf[7];  // odd size: chunks must join up exactly
    DWORD n = 0;
    while (InternetReadFile(request, buf, sizeof buf, &n) && n > 0) all.append(buf, n);
    return all;
  }
  std::string Headers() {
    DWORD len = 0;
    if (HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &len, nullptr)) return "?";
    std::string buf(len, '\0');
    if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buf.data(), &len, nullptr)) return "";
    buf.resize(len);
    return buf;
  }
};

class WinInetTest : public ::testing::Test {
 protected:
  void TearDown() override {
    server_.Release();
    transfer::CloseIdleConnections();
    transfer::ResetTransferLimits();
    transfer::ResetTransferCancel();
    transfer::TrustCertificatesForTesting("");
  }
  LoopbackServer server_;
};

TEST_F(WinInetTest, HeaderQueryReportsTheSizeItNeeds) {
  RawHttpServer raw([](const RawRequest&) {
    return std::string("HTTP/1.1 200 OK\nX-Bare-Lf: 1\r\nContent-Length: 2\r\n\r\nok");
  });
  Call c(raw.port(), "GET", "/", kPlainFlags);
  char buf[64];
  DWORD len = sizeof buf;
  EXPECT_FALSE(HttpQueryInfoA(c.request, HTTP_QUERY_RAW_HEADERS_CRLF, buf, &len, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);  // nothing sent yet
  ASSERT_TRUE(c.Send());
  const std::string block = "HTTP/1.1 200 OK\r\nX-Bare-Lf: 1\r\nContent-Length: 2\r\n\r\n";
  len = static_cast<DWORD>(block.size());  // no room for the NUL
  EXPECT_FALSE(HttpQueryInfoA(c.request, HTTP_QUERY_RAW_HEADERS_CRLF, buf, &len, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(len, block.size() + 1);
  EXPECT_TRUE(HttpQueryInfoA(c.request, HTTP_QUERY_RAW_HEADERS_CRLF, buf, &len, nullptr));
  EXPECT_EQ(len, block.size());
  EXPECT_EQ(std::string(buf), block);
  len = sizeof buf;
  EXPECT_TRUE(HttpQueryInfoA(c.request, HTTP_QUERY_STATUS_CODE, buf, &len, nullptr));
  EXPECT_EQ(std::string(buf), "200");
  EXPECT_EQ(c.Body(), "ok");
  DWORD n = 99;
  EXPECT_TRUE(InternetReadFile(c.request, buf, sizeof buf, &n));
  EXPECT_EQ(n, 0u);
}

TEST_F(WinInetTest, InterimResponsesAndTrailersStayOutOfTheBlock) {
  RawHttpServer raw([](const RawRequest&) {
    return std::string(
        "HTTP/1.1 100 Continue\r\n\r\n"
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
        "2\r\nok\r\n0\r\nX-Trailer: t\r\n\r\n");
  });
  Call c(raw.port(), "GET", "/", kPlainFlags);
  ASSERT_TRUE(c.Send());
  EXPECT_EQ(c.Headers(), "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
  EXPECT_EQ(c.Body(), "ok");
}

TEST_F(WinInetTest, ClosedMadeUpAndMismatchedHandlesFailCleanly) {
  Call c(server_.port(), "GET", "/", kPlainFlags);
  DWORD n = 5;
  char buf[4];
  EXPECT_FALSE(InternetReadFile(c.connect, buf, sizeof buf, &n));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  EXPECT_EQ(n, 0u);
  int junk = 0;
  const auto madeUp = reinterpret_cast<HINTERNET>(&junk);
  EXPECT_FALSE(HttpSendRequestA(madeUp, "", 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(InternetCloseHandle(madeUp));
  EXPECT_FALSE(InternetCloseHandle(nullptr));
  EXPECT_EQ(InternetConnectA(nullptr, "h", 80, "", "", INTERNET_SERVICE_HTTP, 0, 0), nullptr);
  EXPECT_EQ(InternetConnectA(c.internet, "", 80, "", "", INTERNET_SERVICE_HTTP, 0, 0), nullptr);
  EXPECT_EQ(InternetOpenA("a", 42, "", "", 0), nullptr);
  // A parent closed first does not affect its children.
  ASSERT_TRUE(InternetCloseHandle(c.internet));
  c.internet = nullptr;
  server_.AddPage("/", "still works");
  ASSERT_TRUE(c.Send());
  EXPECT_EQ(c.Body(), "still works");
}

// The made-up site gallery.example and its www host, served from loopback;
// https on the default port goes to `tlsPort`.
void RouteNames(int tlsPort) {
  const std::string tls = "127.0.0.1:" + std::to_string(tlsPort);
  transfer::RouteHostsForTesting({"gallery.example:443:" + tls, "gallery.example::127.0.0.1:",
                                  "www.gallery.example::127.0.0.1:",
                                  "other.example::127.0.0.1:"});
}

TEST_F(WinInetTest, RedirectFlagsDecideWhatIsFollowed) {
  TlsLoopbackServer tls;
  ASSERT_TRUE(tls.ok());
  transfer::TrustCertificatesForTesting(tls.CertificatePem());
  RouteNames(tls.port());
  const std::string plain = "http://gallery.example:" + std::to_string(server_.port());
  tls.server().Get("/secure", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("secure", "text/plain");
  });
  tls.server().Get("/to-secure", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/secure");
    res.set_content("tls moved", "text/plain");
  });
  tls.server().Get("/to-http", [&](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(plain + "/final");
    res.set_content("tls moved", "text/plain");
  });
  server_.AddRedirect("/to-http", "/final");
  server_.AddRedirect("/to-https", "https://gallery.example/secure");
  server_.AddPage("/final", "final");
  constexpr DWORD kUpgrade = INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  constexpr DWORD kSecure = INTERNET_FLAG_SECURE;
  const struct {
    int port;
    const char* path;
    DWORD flags;
    const char* body;
  } cases[] = {
      // Same scheme: followed unless redirects are off.
      {server_.port(), "/to-http", kPlainFlags, "final"},
      {server_.port(), "/to-http", kPlainFlags | kUpgrade, "final"},
      {server_.port(), "/to-http", kPlainFlags | kUpgrade | INTERNET_FLAG_NO_AUTO_REDIRECT,
       "moved"},
      {443, "/to-secure", kPlainFlags | kSecure, "secure"},
      // http -> https (same host, default port) only with the flag;
      // otherwise the redirect comes back.
      {server_.port(), "/to-https", kPlainFlags | kUpgrade, "secure"},
      {server_.port(), "/to-https", kPlainFlags, "moved"},
      // https -> http never.
      {443, "/to-http", kPlainFlags | kSecure, "tls moved"},
      {443, "/to-http", kPlainFlags | kSecure | kUpgrade, "tls moved"},
  };
  for (const auto& c : cases) {
    const std::string what = std::string(c.path) + " flags " + std::to_string(c.flags);
    Call call(c.port, "GET", c.path, c.flags, "gallery.example");
    ASSERT_TRUE(call.Send()) << what;
    EXPECT_EQ(call.Body(), c.body) << what;
    const bool final = std::string(c.body).find("moved") == std::string::npos;
    EXPECT_EQ(call.Headers().starts_with("HTTP/1.1 200"), final) << what << call.Headers();
  }
  transfer::RouteHostsForTesting({});
  // The secure request checked the certificate: untrusted, it fails.
  transfer::TrustCertificatesForTesting("");
  transfer::CloseIdleConnections();
  Call untrusted(tls.port(), "GET", "/secure", kPlainFlags | kSecure);
  EXPECT_FALSE(untrusted.Send());
}

TEST_F(WinInetTest, RedirectAfterPostGoesOnWithGetButTemporaryKeepsTheBody) {
  RawHttpServer raw([](const RawRequest& r) {
    if (r.head.starts_with("POST /302")) {
      return RawHttpServer::Response("HTTP/1.1 302 Found", "Location: /next\r\n", "");
    }
    if (r.head.starts_with("POST /307")) {
      return RawHttpServer::Response("HTTP/1.1 307 Temporary Redirect", "Location: /next\r\n", "");
    }
    return RawHttpServer::Response("HTTP/1.1 200 OK", "", r.head.substr(0, 4) + r.body);
  });
  Call a(raw.port(), "POST", "/302", kPlainFlags);
  ASSERT_TRUE(a.Send("", "data"));
  EXPECT_EQ(a.Body(), "GET ");
  Call b(raw.port(), "POST", "/307", kPlainFlags);
  ASSERT_TRUE(b.Send("", "data"));
  EXPECT_EQ(b.Body(), "POSTdata");
}

TEST_F(WinInetTest, RedirectsStayOnTheSiteAndTakeNoCookieOrRefererToAnotherHost) {
  RawHttpServer other;  // another port of the same address
  std::string port;     // the site's, once it listens
  RawHttpServer raw([&](const RawRequest& r) {
    const auto to = [](const std::string& where) {
      return RawHttpServer::Response("HTTP/1.1 302 Found", "Location: " + where + "\r\n", "");
    };
    if (r.head.starts_with("GET /www")) return to("http://www.gallery.example" + port + "/x");
    if (r.head.starts_with("GET /home")) return to("/here");
    if (r.head.starts_with("GET /port")) {
      return to("http://gallery.example:" + std::to_string(other.port()) + "/x");
    }
    if (r.head.starts_with("GET /domain")) return to("http://other.example" + port + "/x");
    return RawHttpServer::Response("HTTP/1.1 200 OK", "", "ok");
  });
  port = ":" + std::to_string(raw.port());
  RouteNames(0);
  const std::string lines =
      "Cookie: sid=secret\r\nAuthorization: Basic dTpw\r\nReferer: http://gallery.example/p\r\n"
      "X-Keep: 1";
  // Off the site (another port, another registrable domain): the request
  // fails and nothing is sent there.
  for (const char* path : {"/port", "/domain"}) {
    Call c(raw.port(), "GET", path, kPlainFlags, "gallery.example");
    EXPECT_FALSE(c.Send(lines)) << path;
    EXPECT_EQ(GetLastError(), ERROR_HTTP_REDIRECT_FAILED) << path;
  }
  EXPECT_EQ(other.Requests().size(), 0u);
  ASSERT_EQ(raw.Requests().size(), 2u);
  // On the site: the same host keeps the lines, another host of the
  // registrable domain gets none of them.
  for (const char* path : {"/www", "/home"}) {
    Call c(raw.port(), "GET", path, kPlainFlags, "gallery.example");
    ASSERT_TRUE(c.Send(lines)) << path;
    EXPECT_EQ(c.Body(), "ok") << path;
  }
  transfer::RouteHostsForTesting({});
  const auto seen = raw.Requests();
  ASSERT_EQ(seen.size(), 6u);
  const std::string& away = seen[3].head;
  EXPECT_EQ(away.rfind("GET /x", 0), 0u) << away;
  EXPECT_NE(away.find("\r\nHost: www.gallery.example" + port), std::string::npos) << away;
  EXPECT_EQ(away.find("sid=secret"), std::string::npos) << away;
  EXPECT_EQ(away.find("Authorization"), std::string::npos) << away;
  EXPECT_EQ(away.find("Referer"), std::string::npos) << away;
  EXPECT_NE(away.find("\r\nX-Keep: 1\r\n"), std::string::npos) << away;
  const std::string& home = seen[5].head;
  EXPECT_EQ(home.rfind("GET /here", 0), 0u) << home;
  EXPECT_NE(home.find("\r\nCookie: sid=secret\r\n"), std::string::npos) << home;
  EXPECT_NE(home.find("\r\nAuthorization: Basic dTpw\r\n"), std::string::npos);
  EXPECT_NE(home.find("\r\nReferer: http://gallery.example/p\r\n"), std::string::npos);
}

TEST_F(WinInetTest, CookieEngineOnlyWithoutNoCookies) {
  RawHttpServer raw([](const RawRequest& r) {
    const auto at = r.head.find("Cookie: ");
    const std::string sent = at == std::string::npos ? "-" : r.head.substr(at + 8, 9);
    return RawHttpServer::Response("HTTP/1.1 200 OK", "Set-Cookie: engine=on; path=/\r\n", sent);
  });
  {
    Call c(raw.port(), "GET", "/", kPlainFlags);
    ASSERT_TRUE(c.Send());
  }
  {
    Call c(raw.port(), "GET", "/", kPlainFlags);
    ASSERT_TRUE(c.Send());
    EXPECT_EQ(c.Body(), "-");
  }
  {
    Call c(raw.port(), "GET", "/", INTERNET_FLAG_RELOAD);
    ASSERT_TRUE(c.Send());
  }
  {
    Call c(raw.port(), "GET", "/", INTERNET_FLAG_RELOAD);
    ASSERT_TRUE(c.Send());
    EXPECT_EQ(c.Body(), "engine=on");
  }
}

TEST_F(WinInetTest, HeaderTextCannotAddLinesOrRequests) {
  RawHttpServer raw;
  Call c(raw.port(), "GET", "/h", kPlainFlags, "127.0.0.1", "Evil\r\nX-Injected: 1");
  ASSERT_TRUE(c.Send("X-A: 1\nX-B: 2\r\n\r\nGET /smuggled HTTP/1.1\rX-C: 3"));
  const auto requests = raw.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& head = requests[0].head;
  EXPECT_NE(head.find("\r\nX-A: 1\r\nX-B: 2\r\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nUser-Agent: Evil\r\n"), std::string::npos) << head;
  EXPECT_EQ(head.find("X-Injected"), std::string::npos) << head;
  EXPECT_EQ(head.find("\r\nGET /smuggled"), std::string::npos) << head;
}

TEST_F(WinInetTest, HostsThatAreNoHostNamesAreNeverContacted) {
  for (const char* host : {"user:pw@127.0.0.1", "127.0.0.1/x", "h.com?q=1", "a b"}) {
    Call c(server_.port(), "GET", "/", kPlainFlags, host);
    EXPECT_FALSE(c.Send()) << host;
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_NAME_NOT_RESOLVED) << host;
  }
  EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(WinInetTest, LimitsAndCancelFailTheSend) {
  transfer::SetTransferLimitsForTesting(
      {.connectTimeout = 2s, .noProgressTimeout = 300ms, .maxBodyBytes = 1000});
  server_.AddLargeBody("/big", 1001);
  server_.Gate().Hold("/stall");  // answered only after the test
  server_.AddPage("/stall", "late");
  server_.AddPage("/small", "fits");
  const struct {
    const char* path;
    DWORD error;
  } cases[] = {{"/big", ERROR_INTERNET_CONNECTION_ABORTED}, {"/stall", ERROR_INTERNET_TIMEOUT}};
  for (const auto& [path, error] : cases) {
    Call c(server_.port(), "GET", path, kPlainFlags);
    EXPECT_FALSE(c.Send()) << path;
    EXPECT_EQ(GetLastError(), error) << path;
    EXPECT_EQ(c.Body(), "") << path;
    EXPECT_EQ(c.Headers(), "") << path;
  }
  Call refused(1, "GET", "/", kPlainFlags);  // nothing listens on port 1
  EXPECT_FALSE(refused.Send());
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
  transfer::CancelAllTransfers();
  Call cancelled(server_.port(), "GET", "/small", kPlainFlags);
  EXPECT_FALSE(cancelled.Send());
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_OPERATION_CANCELLED);
  transfer::ResetTransferCancel();
  Call ok(server_.port(), "GET", "/small", kPlainFlags);
  ASSERT_TRUE(ok.Send());
  EXPECT_EQ(ok.Body(), "fits");
}

}  // namespace
}  // namespace wininet
